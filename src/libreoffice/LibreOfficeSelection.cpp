#include "LibreOfficeSelection.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeDocument.h"
#include "LibreOfficeFind.h"
#include "LibreOfficeTable.h"
#include "LibreOfficeTransfer.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/datatransfer/XTransferableSupplier.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>
#include <com/sun/star/text/XTextViewCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>

#include <algorithm>

using namespace css;

namespace {
uno::Reference<text::XTextViewCursor> viewCursor(const LibreOfficeDocument &document)
{
    const uno::Reference<text::XTextViewCursorSupplier> supplier(document.controller(), uno::UNO_QUERY_THROW);
    return supplier->getViewCursor();
}

// The paragraph of the main text that holds \a cursor, when it is empty; otherwise nothing.
uno::Reference<lang::XComponent> emptyParagraphAt(const LibreOfficeDocument &document,
                                                  const uno::Reference<text::XTextViewCursor> &cursor)
{
    const uno::Reference<text::XText> body = document.model()->getText();
    if (cursor->getText() != body || !cursor->isCollapsed())
        return {};
    const uno::Reference<text::XParagraphCursor> paragraph(
        body->createTextCursorByRange(uno::Reference<text::XTextRange>(cursor.get())), uno::UNO_QUERY_THROW);
    paragraph->gotoStartOfParagraph(false);
    paragraph->gotoEndOfParagraph(true);
    if (!paragraph->getString().isEmpty())
        return {};
    const uno::Reference<container::XEnumerationAccess> parts(paragraph, uno::UNO_QUERY_THROW);
    const uno::Reference<container::XEnumeration> enumeration = parts->createEnumeration();
    if (!enumeration->hasMoreElements())
        return {};
    return uno::Reference<lang::XComponent>(enumeration->nextElement(), uno::UNO_QUERY);
}
} // namespace

LibreOfficeSelection::LibreOfficeSelection(std::shared_ptr<LibreOfficeDocument> document)
    : mDocument(std::move(document))
{}

std::shared_ptr<WordFind> LibreOfficeSelection::Find()
{
    mDocument->ensureOpen();
    return std::make_shared<LibreOfficeFind>(mDocument);
}

void LibreOfficeSelection::Copy()
{
    mDocument->ensureOpen();
    LibreOfficeTransfer::TableText table;
    const uno::Reference<datatransfer::XTransferable> copy =
        officeCall(mDocument->session(), QStringLiteral("Copying the selection"), [&] {
            const uno::Reference<datatransfer::XTransferableSupplier> supplier(mDocument->controller(),
                                                                               uno::UNO_QUERY_THROW);
            // A whole table's text goes with the copy: every pasted copy is then known without
            // reading it back, which a long run would otherwise do once per receipt.
            if (const uno::Reference<text::XTextTable> selected = mDocument->selectedTable(); selected.is())
                table = readTableText(selected);
            return supplier->getTransferable();
        });
    if (!copy.is())
        throw AutomationError(QStringLiteral("Copying the selection: the word processor gave nothing to copy."));
    LibreOfficeTransfer::put(copy, mDocument->sharedSession(), table);
}

void LibreOfficeSelection::Paste()
{
    mDocument->ensureOpen();
    const uno::Reference<datatransfer::XTransferable> copy = LibreOfficeTransfer::take(mDocument->session());
    if (!copy.is())
        throw AutomationError(
            QStringLiteral("Pasting: the clipboard holds nothing that the word processor can paste here."));
    const LibreOfficeTransfer::TableText table = LibreOfficeTransfer::tableText(mDocument->session());
    mDocument->touch();
    mDocument->setSelectedTable({});
    officeCall(mDocument->session(), QStringLiteral("Pasting"), [&] {
        const uno::Reference<container::XNameAccess> tables =
            uno::Reference<text::XTextTablesSupplier>(mDocument->model(), uno::UNO_QUERY_THROW)->getTextTables();
        const uno::Sequence<OUString> before = tables->getElementNames();
        const uno::Reference<text::XTextViewCursor> cursor = viewCursor(*mDocument);
        // Pasted into an empty paragraph, a table takes that paragraph's place, the paragraph
        // mark following it. Writer keeps the paragraph in front of the table and adds a new one
        // after it, which would leave one empty paragraph too many between pasted tables.
        const uno::Reference<lang::XComponent> emptyParagraph = emptyParagraphAt(*mDocument, cursor);
        const uno::Reference<datatransfer::XTransferableSupplier> supplier(mDocument->controller(),
                                                                           uno::UNO_QUERY_THROW);
        supplier->insertTransferable(copy);
        if (emptyParagraph.is()
            && uno::Reference<text::XTextRange>(emptyParagraph, uno::UNO_QUERY_THROW)->getString().isEmpty())
            emptyParagraph->dispose();

        // The pasted table reads as the copied one did: its fills need not read it first.
        if (table.cellNames.isEmpty())
            return;
        const uno::Sequence<OUString> after = tables->getElementNames();
        QStringList added;
        for (const OUString &name : after) {
            if (std::find(before.begin(), before.end(), name) == before.end())
                added.append(toQString(name));
        }
        if (added.size() != 1)
            return;
        LibreOfficeDocument::TableFill &fill = mDocument->tableFill(added.constFirst());
        fill = {};
        fill.tracker.update(table.cellNames, table.cellTexts);
        fill.revision = mDocument->revision();
    });
}

void LibreOfficeSelection::EndKey(int unit)
{
    mDocument->ensureOpen();
    if (unit != wdStory)
        throw AutomationError(QStringLiteral("Moving to the end: unit %1 is not supported.").arg(unit));
    mDocument->setSelectedTable({});
    officeCall(mDocument->session(), QStringLiteral("Moving to the end of the document"), [&] {
        // From inside a table, the cursor's own end is the cell's; the document's end is wanted.
        viewCursor(*mDocument)->gotoRange(mDocument->model()->getText()->getEnd(), false);
    });
}

void LibreOfficeSelection::TypeParagraph()
{
    mDocument->ensureOpen();
    mDocument->touch();
    mDocument->setSelectedTable({});
    officeCall(mDocument->session(), QStringLiteral("Typing a paragraph mark"), [&] {
        const uno::Reference<text::XTextViewCursor> cursor = viewCursor(*mDocument);
        cursor->collapseToEnd();
        cursor->getText()->insertControlCharacter(uno::Reference<text::XTextRange>(cursor.get()),
                                                  text::ControlCharacter::PARAGRAPH_BREAK, false);
    });
}
