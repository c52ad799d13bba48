#include "ModelReplacement.h"

void ModelReplacement::ClearFormatting()
{
    // Replacements never carry formatting here; nothing to clear.
}

void ModelReplacement::setText(const QString &) {}
