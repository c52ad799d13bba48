#include "LibreOfficeRows.h"

#include "LibreOfficeDocument.h"
#include "OdfDocument.h"

namespace {
constexpr int wdAlignRowLeft = 0;
constexpr int wdAlignRowRight = 2;
} // namespace

LibreOfficeRows::LibreOfficeRows(std::shared_ptr<LibreOfficeDocument> document, const pugi::xml_node &table)
    : mDocument(std::move(document))
    , mTable(table)
{}

void LibreOfficeRows::setAlignment(int alignment)
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

void LibreOfficeRows::setWrapAroundText(bool wrap)
{
    mDocument->ensureOpen();
    if (wrap)
        throw AutomationError(QStringLiteral("Text wrapping around a table is not supported by the word processor."));
}
