#pragma once

#include "WordAutomation.h"

#include <memory>
#include <pugixml.hpp>

class ModelDocument;

/// The rows of a table, as a whole.
class ModelRows final : public WordRows
{
public:
    ModelRows(std::shared_ptr<ModelDocument> document, const pugi::xml_node &table);

    /// Places the table between the margins: left, centred or right (wdAlignRow...).
    void setAlignment(int alignment) override;
    /// Tables in the running text never have text flowing around them, so only false is possible.
    void setWrapAroundText(bool wrap) override;

private:
    std::shared_ptr<ModelDocument> mDocument;
    pugi::xml_node mTable;
};
