#pragma once

#include "WordAutomation.h"

#include <QString>

#include <memory>

class ModelReplacement;

/// The search options of a document's selection. The run still sets them step by step, but it fills
/// the placeholders table by table, so no search ever runs and the options are not kept.
class ModelFind final : public WordFind
{
public:
    ModelFind();

    void ClearFormatting() override;
    std::shared_ptr<WordReplacement> Replacement() override;
    void setText(const QString &text) override;
    void setForward(bool forward) override;
    void setWrap(int wrap) override;
    void setFormat(bool format) override;
    void setMatchCase(bool matchCase) override;
    void setMatchWholeWord(bool matchWholeWord) override;
    void setMatchWildcards(bool matchWildcards) override;
    void setMatchSoundsLike(bool matchSoundsLike) override;
    void setMatchAllWordForms(bool matchAllWordForms) override;

private:
    std::shared_ptr<ModelReplacement> mReplacement;
};
