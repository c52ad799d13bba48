#pragma once

#include "WordAutomation.h"

#include <memory>

class ModelDocument;

/// The selection of a document's window: an insertion point, a selected table, or found text.
class ModelSelection final : public WordSelection
{
public:
    explicit ModelSelection(std::shared_ptr<ModelDocument> document);

    std::shared_ptr<WordFind> Find() override;
    /// Puts a copy of the selected table on the program's clipboard.
    void Copy() override;
    /// Inserts the program's clipboard (a copied table) at the insertion point: into an empty
    /// paragraph it goes in front of it, the paragraph mark following the table.
    void Paste() override;
    void EndKey(int unit) override;
    void TypeParagraph() override;

private:
    std::shared_ptr<ModelDocument> mDocument;
};
