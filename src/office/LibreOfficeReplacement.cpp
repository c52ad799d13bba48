#include "LibreOfficeReplacement.h"

void LibreOfficeReplacement::ClearFormatting()
{
    // Replacements never carry formatting here; nothing to clear.
}

void LibreOfficeReplacement::setText(const QString &) {}
