#include "LibreOfficeFind.h"

#include "LibreOfficeDocument.h"
#include "LibreOfficeReplacement.h"
#include "OdfDocument.h"

namespace {
constexpr int wdReplaceNone = 0;
constexpr int wdReplaceOne = 1;
using Kind = LibreOfficeDocument::Selection::Kind;

} // namespace

LibreOfficeFind::LibreOfficeFind(std::shared_ptr<LibreOfficeDocument> document)
    : mDocument(std::move(document))
    , mReplacement(std::make_shared<LibreOfficeReplacement>())
{}

void LibreOfficeFind::ClearFormatting()
{
    // The search never looks at formatting; there is none to clear.
}

std::shared_ptr<WordReplacement> LibreOfficeFind::Replacement()
{
    return mReplacement;
}

void LibreOfficeFind::setText(const QString &text)
{
    mText = text;
}

void LibreOfficeFind::setForward(bool forward)
{
    mForward = forward;
}

void LibreOfficeFind::setWrap(int wrap)
{
    mWrap = wrap;
}

void LibreOfficeFind::setFormat(bool format)
{
    mFormat = format;
}

void LibreOfficeFind::setMatchCase(bool matchCase)
{
    mMatchCase = matchCase;
}

void LibreOfficeFind::setMatchWholeWord(bool matchWholeWord)
{
    mMatchWholeWord = matchWholeWord;
}

void LibreOfficeFind::setMatchWildcards(bool matchWildcards)
{
    mMatchWildcards = matchWildcards;
}

void LibreOfficeFind::setMatchSoundsLike(bool matchSoundsLike)
{
    mMatchSoundsLike = matchSoundsLike;
}

void LibreOfficeFind::setMatchAllWordForms(bool matchAllWordForms)
{
    mMatchAllWordForms = matchAllWordForms;
}

bool LibreOfficeFind::Execute(int replace)
{
    mDocument->ensureOpen();
    if (mText.isEmpty())
        throw AutomationError(QStringLiteral("Searching: there is no text to search for."));
    if (mFormat || mMatchWildcards || mMatchSoundsLike || mMatchAllWordForms)
        throw AutomationError(QStringLiteral("Searching: only a plain text search is supported (no formatting, "
                                             "wildcards, sounds-like or word forms)."));
    switch (replace) {
    case wdReplaceAll:
        return replaceAll();
    case wdReplaceNone:
        return findNext(false);
    case wdReplaceOne:
        return findNext(true);
    default:
        throw AutomationError(QStringLiteral("Searching: value out of range (%1).").arg(replace));
    }
}

bool LibreOfficeFind::replaceAll()
{
    const int replaced = mDocument->model().replaceAll(mText, mReplacement->text(), mMatchCase, mMatchWholeWord);
    if (replaced > 0)
        mDocument->changed();
    return replaced > 0;
}

bool LibreOfficeFind::findNext(bool replaceFound)
{
    OdfDocument &model = mDocument->model();
    if (!mForward)
        throw AutomationError(QStringLiteral("Searching: only a forward search is supported."));
    LibreOfficeDocument::Selection &selection = mDocument->selection();
    pugi::xml_node paragraph = selection.paragraph;
    qsizetype offset = selection.offset + (selection.kind == Kind::Text ? selection.length : 0);
    if (selection.kind == Kind::Table) {
        paragraph = pugi::xml_node();
        OdfText::forEachParagraph(selection.table, [&](const pugi::xml_node &p) {
            if (!paragraph)
                paragraph = p;
        });
        offset = 0;
    }
    if (!model.findNext(mText, mMatchCase, mMatchWholeWord, mWrap == wdFindContinue, paragraph, offset))
        return false;
    selection = {};
    selection.kind = Kind::Text;
    selection.paragraph = paragraph;
    selection.offset = offset;
    selection.length = mText.size();
    if (replaceFound) {
        selection.length = model.replaceText(paragraph, offset, mText.size(), mReplacement->text());
        mDocument->changed();
    }
    return true;
}
