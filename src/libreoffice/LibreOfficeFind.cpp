#include "LibreOfficeFind.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeDocument.h"
#include "LibreOfficeReplacement.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextViewCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/util/XReplaceable.hpp>
#include <com/sun/star/util/XSearchable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

using namespace css;

namespace {
constexpr int wdReplaceNone = 0;
constexpr int wdReplaceOne = 1;

void setOptions(const uno::Reference<util::XSearchDescriptor> &search, bool matchCase, bool wholeWord, bool forward)
{
    const uno::Reference<beans::XPropertySet> descriptor(search, uno::UNO_QUERY_THROW);
    descriptor->setPropertyValue("SearchCaseSensitive", uno::Any(matchCase));
    descriptor->setPropertyValue("SearchWords", uno::Any(wholeWord));
    descriptor->setPropertyValue("SearchBackwards", uno::Any(!forward));
    descriptor->setPropertyValue("SearchRegularExpression", uno::Any(false));
    descriptor->setPropertyValue("SearchSimilarity", uno::Any(false));
    descriptor->setPropertyValue("SearchStyles", uno::Any(false));
}
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
    mDocument->touch();
    return officeCall(mDocument->session(), QStringLiteral("Replacing %1").arg(mText), [&] {
        const uno::Reference<util::XReplaceable> replaceable(mDocument->model(), uno::UNO_QUERY_THROW);
        const uno::Reference<util::XReplaceDescriptor> descriptor = replaceable->createReplaceDescriptor();
        descriptor->setSearchString(toOUString(mText));
        descriptor->setReplaceString(toOUString(mReplacement->text()));
        const uno::Reference<util::XSearchDescriptor> search(descriptor.get());
        setOptions(search, mMatchCase, mMatchWholeWord, mForward);
        return replaceable->replaceAll(search) > 0;
    });
}

bool LibreOfficeFind::findNext(bool replaceFound)
{
    if (replaceFound)
        mDocument->touch();
    return officeCall(mDocument->session(), QStringLiteral("Searching for %1").arg(mText), [&] {
        const uno::Reference<util::XSearchable> searchable(mDocument->model(), uno::UNO_QUERY_THROW);
        const uno::Reference<util::XSearchDescriptor> descriptor = searchable->createSearchDescriptor();
        descriptor->setSearchString(toOUString(mText));
        setOptions(descriptor, mMatchCase, mMatchWholeWord, mForward);

        const uno::Reference<text::XTextViewCursorSupplier> views(mDocument->controller(), uno::UNO_QUERY_THROW);
        const uno::Reference<text::XTextRange> cursor(views->getViewCursor().get());
        uno::Reference<text::XTextRange> found(
            searchable->findNext(mForward ? cursor->getEnd() : cursor->getStart(), descriptor), uno::UNO_QUERY);
        if (!found.is() && mWrap == wdFindContinue)
            found.set(searchable->findFirst(descriptor), uno::UNO_QUERY);
        if (!found.is())
            return false;
        if (replaceFound)
            found->setString(toOUString(mReplacement->text()));
        const uno::Reference<view::XSelectionSupplier> selection(mDocument->controller(), uno::UNO_QUERY_THROW);
        selection->select(uno::Any(found));
        return true;
    });
}
