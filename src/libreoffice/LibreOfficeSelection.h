#pragma once

#include "WordAutomation.h"

#include <memory>

class LibreOfficeDocument;

/// The selection of a document's window: the view cursor, or a selected table.
class LibreOfficeSelection final : public WordSelection
{
public:
    explicit LibreOfficeSelection(std::shared_ptr<LibreOfficeDocument> document);

    std::shared_ptr<WordFind> Find() override;
    /// Puts the office's own copy of the selection on the program's clipboard.
    void Copy() override;
    /// Inserts the program's clipboard (a copy made in this office) at the insertion point.
    void Paste() override;
    void EndKey(int unit) override;
    void TypeParagraph() override;

private:
    std::shared_ptr<LibreOfficeDocument> mDocument;
};
