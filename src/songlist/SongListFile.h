#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <climits>

#include "app/TextFile.h"

namespace kazoon::songlist {

// A song list beyond this size (some ten thousand songs) is not a song list;
// it is reported as broken rather than read and split into lines.
constexpr qint64 kMaxFileSize = 1024 * 1024;

// The decoding and line splitting shared with the lyrics cards (app/TextFile).
using kazoon::decodeText;
using kazoon::splitLines;

struct ReadResult {
    enum Status { Ok, Unreadable, TooLarge } status = Ok;
    QStringList lines;
};

ReadResult readFile(const QString &path);

// The longest path the system takes, in bytes of UTF-8 (PATH_MAX holds the
// terminating NUL).
constexpr qsizetype kMaxPathBytes = PATH_MAX - 1;

// A line is broken when it has no medley mark ("0" or "1") and does not end
// in ".mid" either. An empty line is broken; so is a line holding a NUL, or
// one whose path is longer than the system allows, as no file has such a path.
bool isBrokenLine(const QString &line);

// Index of the first broken line, or -1. A list without lines is broken at 0.
int firstBrokenLine(const QStringList &lines);

// The path of a path entry: the entry without its mark and blank.
inline QString entryPath(const QString &entry) { return entry.mid(2); }
inline bool entryMarked(const QString &entry) { return entry.startsWith(QLatin1Char('1')); }
QString markEntry(const QString &entry, bool marked);

// The name shown in the list: the file name with extension, without folder.
QString displayName(const QString &path);

// Index of the first entry whose song file does not exist, or -1.
int firstMissingSong(const QStringList &entries);

// Writes every entry followed by CR LF, in UTF-8 without byte-order mark,
// through a temporary file that replaces the target only when complete.
// Returns an empty text on success, otherwise the reason in Japanese.
QString writeFile(const QString &path, const QStringList &entries);

// Enabled states of the two bulk mark commands for a list of two or more songs:
// "play all as one medley" is offered when it would change something, "play
// every song singly" when any song is marked.
struct BulkStates {
    bool medley = false;
    bool clear = false;
};
BulkStates bulkStates(const QList<bool> &marks);

} // namespace kazoon::songlist
