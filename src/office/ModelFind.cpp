#include "ModelFind.h"

#include "ModelReplacement.h"

ModelFind::ModelFind()
    : mReplacement(std::make_shared<ModelReplacement>())
{}

void ModelFind::ClearFormatting()
{
    // The search never looks at formatting; there is none to clear.
}

std::shared_ptr<WordReplacement> ModelFind::Replacement()
{
    return mReplacement;
}

void ModelFind::setText(const QString &) {}

void ModelFind::setForward(bool) {}

void ModelFind::setWrap(int) {}

void ModelFind::setFormat(bool) {}

void ModelFind::setMatchCase(bool) {}

void ModelFind::setMatchWholeWord(bool) {}

void ModelFind::setMatchWildcards(bool) {}

void ModelFind::setMatchSoundsLike(bool) {}

void ModelFind::setMatchAllWordForms(bool) {}
