#pragma once

#include <QString>

namespace kazoon {

// Kazoon.ini beside the executable when that folder is writable or already
// holds one (portable use); otherwise $XDG_CONFIG_HOME/kazoon/Kazoon.ini.
QString settingsFilePath();
// The help manual's start page beside the executable.
QString helpFilePath();

} // namespace kazoon
