#include "LibreOfficeTable.h"

#include "LibreOfficeDocument.h"
#include "LibreOfficeRange.h"
#include "LibreOfficeRows.h"
#include "OdfDocument.h"

LibreOfficeTable::LibreOfficeTable(std::shared_ptr<LibreOfficeDocument> document, const pugi::xml_node &table)
    : mDocument(std::move(document))
    , mModel(mDocument->modelIdentity())
    , mTable(table)
{}

pugi::xml_node LibreOfficeTable::node() const
{
    mDocument->ensureOpen();
    if (mDocument->modelIdentity() != mModel)
        throw AutomationError(QStringLiteral("The table is no longer part of the document."));
    return mTable;
}

void LibreOfficeTable::Select()
{
    const pugi::xml_node table = node();
    LibreOfficeDocument::Selection &selection = mDocument->selection();
    selection = {};
    selection.kind = LibreOfficeDocument::Selection::Kind::Table;
    selection.table = table;
}

OdfDocument &LibreOfficeTable::model() const
{
    node();
    return mDocument->model();
}

std::shared_ptr<WordRange> LibreOfficeTable::Range()
{
    node();
    return std::make_shared<LibreOfficeRange>(shared_from_this());
}

std::shared_ptr<WordRows> LibreOfficeTable::Rows()
{
    return std::make_shared<LibreOfficeRows>(mDocument, node());
}

void LibreOfficeTable::FillPlaceholder(const QString &placeholder, const QString &value)
{
    const pugi::xml_node table = node();
    if (placeholder.isEmpty())
        throw AutomationError(QStringLiteral("Filling a placeholder: the placeholder is empty."));
    if (mDocument->model().fill(table, placeholder, value) > 0)
        mDocument->changed();
}
