#include "ModelTable.h"

#include "ModelDocument.h"
#include "ModelRange.h"
#include "ModelRows.h"
#include "OdfDocument.h"

ModelTable::ModelTable(std::shared_ptr<ModelDocument> document, const pugi::xml_node &table)
    : mDocument(std::move(document))
    , mModel(mDocument->modelIdentity())
    , mTable(table)
{}

pugi::xml_node ModelTable::node() const
{
    mDocument->ensureOpen();
    if (mDocument->modelIdentity() != mModel)
        throw AutomationError(QStringLiteral("The table is no longer part of the document."));
    return mTable;
}

void ModelTable::Select()
{
    const pugi::xml_node table = node();
    ModelDocument::Selection &selection = mDocument->selection();
    selection = {};
    selection.kind = ModelDocument::Selection::Kind::Table;
    selection.table = table;
}

OdfDocument &ModelTable::model() const
{
    node();
    return mDocument->model();
}

std::shared_ptr<WordRange> ModelTable::Range()
{
    node();
    return std::make_shared<ModelRange>(shared_from_this());
}

std::shared_ptr<WordRows> ModelTable::Rows()
{
    return std::make_shared<ModelRows>(mDocument, node());
}

void ModelTable::FillPlaceholder(const QString &placeholder, const QString &value)
{
    const pugi::xml_node table = node();
    if (placeholder.isEmpty())
        throw AutomationError(QStringLiteral("Filling a placeholder: the placeholder is empty."));
    if (mDocument->model().fill(table, placeholder, value) > 0)
        mDocument->changed();
}
