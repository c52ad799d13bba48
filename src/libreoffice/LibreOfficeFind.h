#pragma once

#include "WordAutomation.h"

#include <QString>

#include <memory>

class LibreOfficeDocument;
class LibreOfficeReplacement;

/// A plain-text search of a document. Replacement text is always literal ("&" and "$1" included).
/// Searching for formatting, wildcards, sounds-like and word forms is not available; asking for
/// them makes Execute fail rather than search for something else.
class LibreOfficeFind final : public WordFind
{
public:
    explicit LibreOfficeFind(std::shared_ptr<LibreOfficeDocument> document);

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
    /// wdReplaceAll replaces every occurrence in the document; 0 (none) and 1 (one) find the next
    /// occurrence from the selection, select it and, for 1, replace it.
    bool Execute(int replace) override;

private:
    bool replaceAll();
    bool findNext(bool replaceFound);

    std::shared_ptr<LibreOfficeDocument> mDocument;
    std::shared_ptr<LibreOfficeReplacement> mReplacement;
    QString mText;
    bool mForward = true;
    int mWrap = 0;
    bool mFormat = false;
    bool mMatchCase = false;
    bool mMatchWholeWord = false;
    bool mMatchWildcards = false;
    bool mMatchSoundsLike = false;
    bool mMatchAllWordForms = false;
};
