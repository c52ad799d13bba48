#include "LibreOfficeTable.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeDocument.h"
#include "LibreOfficeRows.h"

#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextTableCursor.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

using namespace css;

namespace {
// Cursor moves are counted in 16 bits.
void moveRight(const uno::Reference<text::XTextCursor> &cursor, qsizetype steps, bool select)
{
    while (steps > 0) {
        const auto chunk = static_cast<sal_Int16>(qMin<qsizetype>(steps, 0x7fff));
        if (!cursor->goRight(chunk, select))
            throw AutomationError(QStringLiteral("the cell's text is shorter than expected"));
        steps -= chunk;
    }
}
} // namespace

LibreOfficeTransfer::TableText readTableText(const uno::Reference<text::XTextTable> &table)
{
    LibreOfficeTransfer::TableText text;
    const uno::Sequence<OUString> cellNames = table->getCellNames();
    for (const OUString &name : cellNames) {
        const uno::Reference<text::XText> cell(table->getCellByName(name), uno::UNO_QUERY_THROW);
        text.cellNames.append(toQString(name));
        text.cellTexts.append(toQString(cell->getString()));
    }
    return text;
}

LibreOfficeTable::LibreOfficeTable(std::shared_ptr<LibreOfficeDocument> document,
                                   const uno::Reference<text::XTextTable> &table)
    : mDocument(std::move(document))
    , mTable(table)
{}

void LibreOfficeTable::Select()
{
    mDocument->ensureOpen();
    officeCall(mDocument->session(), QStringLiteral("Selecting the table"), [&] {
        // Selecting the table object itself only puts the cursor in its first cell, and a copy
        // of that is empty; a cell range from first to last copies the whole table.
        const uno::Sequence<OUString> names = mTable->getCellNames();
        if (!names.hasElements())
            throw AutomationError(QStringLiteral("the table has no cells"));
        const uno::Reference<text::XTextTableCursor> cursor = mTable->createCursorByCellName(names[0]);
        cursor->gotoEnd(true);
        const uno::Reference<view::XSelectionSupplier> selection(mDocument->controller(), uno::UNO_QUERY_THROW);
        mDocument->setSelectedTable({});
        if (!selection->select(uno::Any(cursor)))
            throw AutomationError(QStringLiteral("the word processor refused the selection"));
        mDocument->setSelectedTable(mTable);
    });
}

std::shared_ptr<WordRows> LibreOfficeTable::Rows()
{
    mDocument->ensureOpen();
    return std::make_shared<LibreOfficeRows>(mDocument, mTable);
}

void LibreOfficeTable::FillPlaceholder(const QString &placeholder, const QString &value)
{
    mDocument->ensureOpen();
    const QString what = QStringLiteral("Filling %1").arg(placeholder);
    if (placeholder.isEmpty())
        throw AutomationError(QStringLiteral("%1: the placeholder is empty").arg(what));

    officeCall(mDocument->session(), what, [&] {
        if (mName.isEmpty())
            mName = toQString(uno::Reference<container::XNamed>(mTable, uno::UNO_QUERY_THROW)->getName());
        LibreOfficeDocument::TableFill &fill = mDocument->tableFill(mName);
        if (fill.tracker.isEmpty() || fill.revision != mDocument->revision()) {
            // Read once; from then on the tracker knows every change the fills make.
            const LibreOfficeTransfer::TableText text = readTableText(mTable);
            fill.cells.clear();
            fill.tracker.update(text.cellNames, text.cellTexts);
            fill.revision = mDocument->revision();
        }

        const OUString replacement = toOUString(value);
        const QList<LibreOfficeFillTracker::Occurrence> found = fill.tracker.find(placeholder);
        for (const LibreOfficeFillTracker::Occurrence &occurrence : found) {
            uno::Reference<text::XText> &cell = fill.cells[occurrence.cell];
            if (!cell.is())
                cell.set(mTable->getCellByName(toOUString(occurrence.cell)), uno::UNO_QUERY_THROW);
            const QString text = fill.tracker.text(occurrence.cell);
            if (occurrence.position == 0 && occurrence.length == text.size() && !text.contains(QLatin1Char('\n'))) {
                // The placeholder is the cell's whole text: the cell takes the value as it is.
                cell->setString(replacement);
            } else {
                // A new cursor of a cell stands at the cell's start.
                const uno::Reference<text::XTextCursor> cursor = cell->createTextCursor();
                moveRight(cursor, LibreOfficeFillTracker::cursorSteps(text, 0, occurrence.position), false);
                moveRight(cursor,
                          LibreOfficeFillTracker::cursorSteps(text, occurrence.position,
                                                              occurrence.position + occurrence.length),
                          true);
                cursor->setString(replacement);
            }
            // Read back rather than assumed: the cell's text is what the next search sees.
            fill.tracker.filled(occurrence, toQString(cell->getString()));
        }
    });
}
