#pragma once

#include <QString>
#include <QStringList>

#include "player/engine/InstrumentSetup.h"

namespace kazoon::songlist {

// The instrument set-up's lines in the song settings file (see SongSettings.h).
bool isSetupTag(const QString &tag);
// Adds one line to the set-up; false when its fields are bad.
bool parseSetupLine(const QString &line, engine::InstrumentSetup &setup);
QStringList setupLines(const engine::InstrumentSetup &setup);

// A SysEx file as the settings file keeps it: relative to the list's folder
// when it lies within it, so that a list copied with its folder keeps its
// files; otherwise the full path.
QString storedSysexPath(const QString &listPath, const QString &file);
QString sysexFilePath(const QString &listPath, const QString &stored);

} // namespace kazoon::songlist
