#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include "player/engine/SongAdjust.h"

namespace kazoon::songlist {

using engine::SongAdjust;

// Each song's key, tempo and level, kept in a file beside the song list
// ("<list>.kzs"), so that the list file itself keeps its format. The file is
// UTF-8 text in CR LF lines: a version line, then one line per song with
// settings, "<key>\t<tempo %>\t<volume %>\t<path>", the path as the list has it.
constexpr qint64 kMaxSettingsFileSize = 1024 * 1024;
inline const QString kSettingsHeader = QStringLiteral("Kazoon song settings 1");

// Song path → settings; songs at their own settings have no entry.
using SongSettings = QMap<QString, SongAdjust>;

QString settingsPath(const QString &listPath);

struct SettingsParse {
    bool ok = false; // false: damaged, or of a version this program does not know
    SongSettings settings;
};
SettingsParse parseSongSettings(const QByteArray &bytes);
QByteArray serialiseSongSettings(const SongSettings &settings);

// The stored settings for the songs of a list. A song's own path comes
// first; a list moved to another folder with its songs still finds them by
// file name, when only one stored song has that name.
SongSettings matchSongSettings(const SongSettings &stored, const QStringList &songPaths);

struct SettingsRead {
    enum Status { None, Ok, Damaged } status = None; // None: no file beside the list
    SongSettings settings;
};
SettingsRead readSongSettings(const QString &listPath);

// Writes the settings of the list's songs beside the list; with none, the
// file goes away (a list without settings has no file). Returns an empty
// text on success, otherwise the reason in Japanese.
QString writeSongSettings(const QString &listPath, const SongSettings &settings, const QStringList &songPaths);

// "♯2 120% 音量80%": the settings at a glance; empty at the song's own.
QString settingsBadge(const SongAdjust &adjust);

} // namespace kazoon::songlist
