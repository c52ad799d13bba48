#pragma once

#include "WordAutomation.h"

#include <memory>
#include <pugixml.hpp>

class ModelDocument;
class OdfDocument;

/// A table of a document.
class ModelTable final : public WordTable, public std::enable_shared_from_this<ModelTable>
{
public:
    ModelTable(std::shared_ptr<ModelDocument> document, const pugi::xml_node &table);

    /// Selects the whole table: a copy of that selection holds the whole table.
    void Select() override;
    std::shared_ptr<WordRows> Rows() override;
    std::shared_ptr<WordRange> Range() override;
    void FillPlaceholder(const QString &placeholder, const QString &value) override;

    /// The table in the document's content. Throws AutomationError when the document is closed or
    /// its content was replaced.
    pugi::xml_node node() const;
    /// The content the table belongs to.
    OdfDocument &model() const;

private:
    std::shared_ptr<ModelDocument> mDocument;
    const OdfDocument *mModel;
    pugi::xml_node mTable;
};
