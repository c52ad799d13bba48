#pragma once

#include <QSettings>

#include <memory>

/// The user's choices that last from one run of the windows to the next, in
/// $XDG_CONFIG_HOME/parvoline/parvoline.ini. The batch command neither reads nor writes them.
std::unique_ptr<QSettings> OpenSettings();
