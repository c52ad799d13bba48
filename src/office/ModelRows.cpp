#include "ModelRows.h"

#include "ModelDocument.h"
#include "OdfDocument.h"

namespace {
constexpr int wdAlignRowLeft = 0;
constexpr int wdAlignRowRight = 2;
} // namespace

ModelRows::ModelRows(std::shared_ptr<ModelDocument> document, const pugi::xml_node &table)
    : mDocument(std::move(document))
    , mTable(table)
{}

void ModelRows::setAlignment(int alignment)
{
    mDocument->ensureOpen();
    QString align;
    switch (alignment) {
    case wdAlignRowLeft:
        align = QStringLiteral("left");
        break;
    case wdAlignRowCenter:
        align = QStringLiteral("center");
        break;
    case wdAlignRowRight:
        align = QStringLiteral("right");
        break;
    default:
        throw AutomationError(QStringLiteral("Aligning the rows: value out of range (%1).").arg(alignment));
    }
    mDocument->model().setTableAlignment(mTable, align);
    mDocument->changed();
}

void ModelRows::setWrapAroundText(bool wrap)
{
    mDocument->ensureOpen();
    if (wrap)
        throw AutomationError(QStringLiteral("Text wrapping around a table is not supported by the word processor."));
}
