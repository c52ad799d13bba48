#include "Settings.h"

std::unique_ptr<QSettings> OpenSettings()
{
    // An INI file of the program's own, not the registry-like native store, so a user can read and
    // remove it.
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("parvoline"),
                                       QStringLiteral("parvoline"));
}
