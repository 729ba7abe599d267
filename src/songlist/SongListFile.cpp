#include "songlist/SongListFile.h"

#include "app/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace kazoon::songlist {

ReadResult readFile(const QString &path)
{
    ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = ReadResult::Unreadable;
        result.error = file.errorString();
        return result;
    }
    // Read one byte past the limit: size() says nothing for devices and pipes.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadResult::Unreadable;
        result.error = file.errorString();
        return result;
    }
    if (bytes.size() > kMaxFileSize) {
        result.status = ReadResult::TooLarge;
        return result;
    }
    result.lines = splitLines(decodeText(bytes));
    return result;
}

bool isBrokenLine(const QString &line)
{
    if (line.isEmpty() || line.contains(QChar(0)))
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

namespace {

QString openFailureReason(const QString &path)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("保存先のフォルダが見つかりません。");
    if (!folder.isWritable() || (target.exists() && !target.isWritable()))
        return QStringLiteral("保存先に書き込む権限がありません。");
    return QStringLiteral("ファイルを作成できません。");
}

} // namespace

QString writeFile(const QString &path, const QStringList &entries)
{
    QByteArray bytes;
    for (const QString &entry : entries) {
        bytes += entry.toUtf8();
        bytes += "\r\n";
    }
    const FileWrite written = replaceFile(path, bytes);
    switch (written.result) {
    case FileWrite::Ok:
        return QString();
    case FileWrite::CannotOpen:
        return openFailureReason(path) + QStringLiteral("\r\n(") + written.errorString + u')';
    case FileWrite::CannotWrite:
        break;
    }
    return QStringLiteral("書き込み中にエラーが起きました。ディスクの空きを確認してください。\r\n(")
           + written.errorString + u')';
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
