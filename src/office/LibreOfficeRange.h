#pragma once

#include "WordAutomation.h"

#include <memory>

class LibreOfficeDocument;
class LibreOfficeTable;

/// The whole main text of a document, or one of its tables.
class LibreOfficeRange final : public WordRange
{
public:
    explicit LibreOfficeRange(std::shared_ptr<LibreOfficeDocument> document);
    explicit LibreOfficeRange(std::shared_ptr<LibreOfficeTable> table);

    /// Has the office lay the document out and export it to PDF, and puts that on the program's
    /// clipboard as the picture of the main text (see PagePicture). Only the whole main text has one.
    void CopyAsPicture() override;
    QString Text() override;

private:
    std::shared_ptr<LibreOfficeDocument> mDocument;
    std::shared_ptr<LibreOfficeTable> mTable;
};
