#pragma once

#include "WordAutomation.h"

/// The replacement side of a search: the text put in place of what is found, taken literally.
class LibreOfficeReplacement final : public WordReplacement
{
public:
    void ClearFormatting() override;
    void setText(const QString &text) override;

    QString text() const { return mText; }

private:
    QString mText;
};
