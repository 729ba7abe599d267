#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include "player/engine/InstrumentSetup.h"
#include "player/engine/SongAdjust.h"

namespace kazoon::songlist {

using engine::SongAdjust;

// Each song's own settings, kept in a file beside the song list
// ("<list>.kzs"), so that the list file itself keeps its format. The file is
// UTF-8 text in CR LF lines, a version line first.
//
// Version 2 is tagged lines: "song\t<path>" opens a song's record (the path
// as the list has it, the rest of the line), and each line after it,
// "<tag>\t<fields…>", belongs to that song:
//   adjust\t<key>\t<tempo %>\t<volume %>
//   count\t<bars 0-2, or "default">\t<click during the song 0/1>
//   setup\t<channel 1-16>\t<bank MSB>\t<bank LSB>\t<program>[\t<controller>=<value>…]
//        (values 0-127 as they go out, "-" for none; one line per channel set up)
//   sysex\t<.syx file, relative to the list's folder where it lies below it>
//   songno\t<program 0-127>\t<channel 1-16>\t<port name; empty: the song's output>
// A tag this program does not know is kept with its song and written back
// as it was, so that a later program's additions survive a save here; one
// before the first song is skipped. A later version number is read as
// version 2: later versions only add tags. A known tag with bad fields makes
// the file damaged, and nothing of a damaged file is used.
//
// Version 1 (still read): one line per song, "<key>\t<tempo %>\t<volume %>\t<path>".
constexpr qint64 kMaxSettingsFileSize = 1024 * 1024;
inline const QString kSettingsHeaderV1 = QStringLiteral("Kazoon song settings 1");
inline const QString kSettingsHeader = QStringLiteral("Kazoon song settings 2");

// A song's count-in and click.
struct SongCount {
    static constexpr int kDefaultBars = -1; // as the options page says
    static constexpr int kMaxBars = 2;
    int bars = kDefaultBars;
    bool clickDuringSong = false;

    bool neutral() const { return bars == kDefaultBars && !clickDuringSong; }
    bool operator==(const SongCount &) const = default;
};

// All that is kept for one song. Each feature owns a member; a record whose
// members are all at their defaults is not kept.
struct SongRecord {
    SongAdjust adjust; // the engine's part: key, tempo, level
    SongCount count;
    QStringList otherLines; // lines of tags this program does not know, as read
    engine::InstrumentSetup instruments{}; // its SysEx file as the settings file names it

    bool neutral() const { return adjust.neutral() && count.neutral() && instruments.empty() && otherLines.isEmpty(); }
    bool operator==(const SongRecord &) const = default;
};

// Song path → record; songs at their own settings have no entry.
using SongSettings = QMap<QString, SongRecord>;

QString settingsPath(const QString &listPath);

struct SettingsParse {
    bool ok = false; // false: damaged
    SongSettings settings;
};
SettingsParse parseSongSettings(const QByteArray &bytes);
// Version 2; records at their defaults are left out.
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
