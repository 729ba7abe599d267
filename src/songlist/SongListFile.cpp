#include "songlist/SongListFile.h"

#include "app/FileErrors.h"
#include "app/SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace kazoon::songlist {

ReadResult readFile(const QString &path)
{
    // Folders and pipes are refused without reading, so a FIFO chosen in the
    // Open dialog cannot block the window.
    const SmallFile file = readSmallFile(path, kMaxFileSize);
    ReadResult result;
    switch (file.status) {
    case SmallFile::Ok:
        result.lines = splitLines(decodeText(file.bytes));
        break;
    case SmallFile::TooLarge:
        result.status = ReadResult::TooLarge;
        break;
    default:
        result.status = ReadResult::Unreadable;
        break;
    }
    return result;
}

namespace {

// Bytes of the text in UTF-8, counted only as far as `limit`.
qsizetype utf8Size(QStringView text, qsizetype limit)
{
    if (text.size() * 3 <= limit)
        return text.size() * 3; // at most three bytes per UTF-16 unit
    qsizetype bytes = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        bytes += u < 0x80 ? 1 : u < 0x800 ? 2 : c.isSurrogate() ? 2 : 3;
        if (bytes > limit)
            break;
    }
    return bytes;
}

} // namespace

bool isBrokenLine(const QString &line)
{
    if (line.isEmpty() || line.contains(QChar(0)))
        return true;
    if (utf8Size(QStringView(line).mid(2), kMaxPathBytes) > kMaxPathBytes)
        return true;
    const QChar mark = line.at(0);
    if (mark == QLatin1Char('0') || mark == QLatin1Char('1'))
        return false;
    return !line.endsWith(QLatin1String(".mid"), Qt::CaseSensitive);
}

int firstBrokenLine(const QStringList &lines)
{
    if (lines.isEmpty())
        return 0;
    for (int i = 0; i < lines.size(); ++i) {
        if (isBrokenLine(lines.at(i)))
            return i;
    }
    return -1;
}

QString markEntry(const QString &entry, bool marked)
{
    return (marked ? QStringLiteral("1 ") : QStringLiteral("0 ")) + entryPath(entry);
}

QString displayName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

int firstMissingSong(const QStringList &entries)
{
    for (int i = 0; i < entries.size(); ++i) {
        const QFileInfo info(entryPath(entries.at(i)));
        if (!info.exists() || info.isDir())
            return i;
    }
    return -1;
}

QString writeFile(const QString &path, const QStringList &entries)
{
    QByteArray bytes;
    for (const QString &entry : entries) {
        bytes += entry.toUtf8();
        bytes += "\r\n";
    }
    const FileWrite written = replaceFile(path, bytes);
    return written.result == FileWrite::Ok ? QString() : fileErrorReason(written.error);
}

BulkStates bulkStates(const QList<bool> &marks)
{
    BulkStates states;
    const qsizetype n = marks.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (marks.at(i))
            states.clear = true;
        if (i < n - 1 ? !marks.at(i) : marks.at(i))
            states.medley = true;
    }
    return states;
}

} // namespace kazoon::songlist
