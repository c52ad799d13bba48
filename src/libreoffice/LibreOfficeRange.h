#pragma once

#include "WordAutomation.h"

#include <memory>

class LibreOfficeDocument;

/// The whole main text of a document.
class LibreOfficeRange final : public WordRange
{
public:
    explicit LibreOfficeRange(std::shared_ptr<LibreOfficeDocument> document);

    /// Exports the document to PDF in the office's private folder and puts the picture of its
    /// text area (see LibreOfficePagePicture) on the program's clipboard.
    void CopyAsPicture() override;

private:
    std::shared_ptr<LibreOfficeDocument> mDocument;
};
