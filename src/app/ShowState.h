#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace kazoon {

// Where the show stands, kept in a small file beside the settings while a
// song list is open, so that a crash or a power cut does not lose the show.
struct ShowState {
    QString listPath;     // empty for a new list that was never saved
    int songIndex = 0;    // the loaded song
    bool modified = false;
    QStringList entries;  // the list's path entries ("1 /path"), only when modified
    qint64 startedMs = 0; // the show's first Enter, ms since the epoch; 0 before it

    bool operator==(const ShowState &) const = default;
};

// Text form: a version line, then one "key=value" per line, UTF-8, LF.
//   Kazoon show state 1
//   list=/home/me/set.mnu
//   song=3
//   modified=1
//   started=1718000000000
//   entry=1 /home/me/a.mid
// A state that this form cannot hold (a path with a line break) gives an
// empty result, and no file is written for it.
QByteArray showStateBytes(const ShowState &state);

// Anything other than a complete state of this version is no state.
std::optional<ShowState> parseShowState(const QByteArray &bytes);

// Kazoon.show in the settings file's folder.
QString showStatePath(const QString &settingsPath);

struct ShowStateFile {
    enum Status { Absent, Damaged, Ok } status = Absent;
    ShowState state;
};
// Never blocks on a pipe and never reads more than a list could need.
ShowStateFile readShowStateFile(const QString &path);

} // namespace kazoon
