#pragma once

#include <QString>

namespace kazoon {

// Kazoon.ini beside the executable when that folder is writable (portable
// use); otherwise $XDG_CONFIG_HOME/kazoon/Kazoon.ini, seeded from a
// Kazoon.ini beside the executable the first time.
QString settingsFilePath();
QString settingsFilePath(const QString &appDir, bool appDirWritable, const QString &configDir);
// The help manual's start page: beside the executable (a build or a portable
// copy), otherwise where an installation puts it, in ../share/kazoon/help.
QString helpFilePath();
QString helpFilePath(const QString &appDir);

} // namespace kazoon
