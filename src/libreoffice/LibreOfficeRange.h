#pragma once

#include "WordAutomation.h"

#include <memory>

class LibreOfficeDocument;

/// The whole main text of a document.
class LibreOfficeRange final : public WordRange
{
public:
    explicit LibreOfficeRange(std::shared_ptr<LibreOfficeDocument> document);

    /// Has the office lay the document out and export it to PDF, and puts that on the program's
    /// clipboard as the picture of the main text (see PagePicture).
    void CopyAsPicture() override;

private:
    std::shared_ptr<LibreOfficeDocument> mDocument;
};
