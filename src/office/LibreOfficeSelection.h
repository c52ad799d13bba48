#pragma once

#include "WordAutomation.h"

#include <memory>

class LibreOfficeDocument;

/// The selection of a document's window: an insertion point, a selected table, or found text.
class LibreOfficeSelection final : public WordSelection
{
public:
    explicit LibreOfficeSelection(std::shared_ptr<LibreOfficeDocument> document);

    std::shared_ptr<WordFind> Find() override;
    /// Puts a copy of the selected table on the program's clipboard.
    void Copy() override;
    /// Inserts the program's clipboard (a copied table) at the insertion point: into an empty
    /// paragraph it goes in front of it, the paragraph mark following the table.
    void Paste() override;
    void EndKey(int unit) override;
    void TypeParagraph() override;

private:
    std::shared_ptr<LibreOfficeDocument> mDocument;
};
