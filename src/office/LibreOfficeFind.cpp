#include "LibreOfficeFind.h"

#include "LibreOfficeReplacement.h"

LibreOfficeFind::LibreOfficeFind()
    : mReplacement(std::make_shared<LibreOfficeReplacement>())
{}

void LibreOfficeFind::ClearFormatting()
{
    // The search never looks at formatting; there is none to clear.
}

std::shared_ptr<WordReplacement> LibreOfficeFind::Replacement()
{
    return mReplacement;
}

void LibreOfficeFind::setText(const QString &) {}

void LibreOfficeFind::setForward(bool) {}

void LibreOfficeFind::setWrap(int) {}

void LibreOfficeFind::setFormat(bool) {}

void LibreOfficeFind::setMatchCase(bool) {}

void LibreOfficeFind::setMatchWholeWord(bool) {}

void LibreOfficeFind::setMatchWildcards(bool) {}

void LibreOfficeFind::setMatchSoundsLike(bool) {}

void LibreOfficeFind::setMatchAllWordForms(bool) {}
