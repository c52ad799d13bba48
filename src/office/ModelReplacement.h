#pragma once

#include "WordAutomation.h"

/// The replacement side of a search. Placeholders are filled per table, so its text is not kept.
class ModelReplacement final : public WordReplacement
{
public:
    void ClearFormatting() override;
    void setText(const QString &text) override;
};
