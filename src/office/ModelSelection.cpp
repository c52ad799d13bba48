#include "ModelSelection.h"

#include "ModelDocument.h"
#include "ModelFind.h"
#include "ModelTransfer.h"
#include "OdfDocument.h"

namespace {
using Kind = ModelDocument::Selection::Kind;

// The paragraph right after \a table, made when the table is the last thing of its text.
pugi::xml_node paragraphAfter(OdfDocument &model, const pugi::xml_node &table)
{
    pugi::xml_node next = table.next_sibling();
    while (next && next.type() != pugi::node_element)
        next = next.next_sibling();
    if (next && OdfText::isParagraph(next))
        return next;
    return model.insertParagraphAfter(table, table.previous_sibling("text:p"));
}
} // namespace

ModelSelection::ModelSelection(std::shared_ptr<ModelDocument> document)
    : mDocument(std::move(document))
{}

std::shared_ptr<WordFind> ModelSelection::Find()
{
    mDocument->ensureOpen();
    return std::make_shared<ModelFind>();
}

void ModelSelection::Copy()
{
    OdfDocument &model = mDocument->model();
    const ModelDocument::Selection &selection = mDocument->selection();
    if (selection.kind == Kind::Point)
        throw AutomationError(QStringLiteral("This command is not available because no text is selected."));
    if (selection.kind != Kind::Table)
        throw AutomationError(QStringLiteral("Copying the selection: only a whole table can be copied."));
    ModelTransfer::put(model.copyTable(selection.table));
}

void ModelSelection::Paste()
{
    OdfDocument &model = mDocument->model();
    const std::shared_ptr<const OdfDocument::Fragment> fragment = ModelTransfer::take();
    if (!fragment)
        throw AutomationError(
            QStringLiteral("Pasting: the clipboard holds nothing that the word processor can paste here."));
    ModelDocument::Selection &selection = mDocument->selection();

    pugi::xml_node before;
    switch (selection.kind) {
    case Kind::Table: {
        // Right after the selected table, with a paragraph between: two tables that touch would run
        // into one in a Word file.
        const pugi::xml_node between =
            model.insertParagraphAfter(selection.table, selection.table.previous_sibling("text:p"));
        before = model.insertParagraphAfter(between, between);
        break;
    }
    case Kind::Point: {
        const pugi::xml_node paragraph = selection.paragraph;
        const qsizetype length = OdfText::read(paragraph).size();
        if (selection.offset <= 0 || length == 0) {
            // Pasted into an empty paragraph (or at a paragraph's start), a table stands in front of it.
            before = paragraph;
        } else if (selection.offset >= length) {
            before = model.insertParagraphAfter(paragraph, paragraph);
        } else {
            before = model.splitParagraph(paragraph, selection.offset);
        }
        break;
    }
    }
    model.insertFragment(*fragment, before.parent(), before);
    mDocument->changed();
    selection = {};
    selection.paragraph = before;
}

void ModelSelection::EndKey(int unit)
{
    OdfDocument &model = mDocument->model();
    if (unit != wdStory)
        throw AutomationError(QStringLiteral("Moving to the end: unit %1 is not supported.").arg(unit));
    const pugi::xml_node last = model.lastParagraph();
    ModelDocument::Selection &selection = mDocument->selection();
    selection = {};
    selection.paragraph = last;
    selection.offset = OdfText::read(last).size();
}

void ModelSelection::TypeParagraph()
{
    OdfDocument &model = mDocument->model();
    ModelDocument::Selection &selection = mDocument->selection();
    if (selection.kind == Kind::Table) {
        selection.paragraph = paragraphAfter(model, selection.table);
        selection.offset = 0;
    }
    const pugi::xml_node paragraph = selection.paragraph;
    const qsizetype length = OdfText::read(paragraph).size();
    const pugi::xml_node next = selection.offset >= length ? model.insertParagraphAfter(paragraph, paragraph)
                                                           : model.splitParagraph(paragraph, selection.offset);
    mDocument->changed();
    selection = {};
    selection.paragraph = next;
}
