#include "songlist/SongListFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace kazoon::songlist;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

bool isBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// The lines stitched back together with the breaks found between them give
// the text: nothing is lost or invented, and no line holds a break.
void checkSplit(const QString &text, const QStringList &lines)
{
    qsizetype pos = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        check(!line.contains(u'\r') && !line.contains(u'\n'));
        check(QStringView(text).mid(pos, line.size()) == line);
        pos += line.size();
        if (pos == n) {
            check(i == lines.size() - 1);
            break;
        }
        check(isBreak(text.at(pos)));
        if (text.at(pos) == u'\r' && pos + 1 < n && text.at(pos + 1) == u'\n')
            ++pos;
        ++pos;
    }
    check(pos == n);
    // Every line closed by CR LF, as the list is written, splits the same again.
    check(splitLines(lines.isEmpty() ? QString() : lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))
          == lines);
}

void checkBroken(const QStringList &lines)
{
    const int first = firstBrokenLine(lines);
    if (lines.isEmpty()) {
        check(first == 0);
        return;
    }
    for (int i = 0; i < lines.size(); ++i) {
        const bool broken = isBrokenLine(lines.at(i));
        if (lines.at(i).isEmpty() || lines.at(i).contains(QChar(0)))
            check(broken);
        if (i < first || first < 0)
            check(!broken);
        if (i == first) {
            check(broken);
            break;
        }
    }
}

QString listPath()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kazoon-fuzz-XXXXXX"));
    check(dir.isValid());
    return dir.filePath(QStringLiteral("fuzz.mnu"));
}

} // namespace

// Reads the bytes as a song list is read, then checks what the reader gives:
// text that writes back as UTF-8 and reads the same, lines that put together
// make the text, the broken-list check agreeing line by line, marks that set
// and clear without touching the path, and a written list that reads back
// entry for entry.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = decodeText(bytes);
    // A byte-order mark at the very start is not part of the text read back.
    if (!text.startsWith(QChar(0xFEFF)))
        check(decodeText(text.toUtf8()) == text);

    const QStringList lines = splitLines(text);
    checkSplit(text, lines);
    checkBroken(lines);

    QStringList entries;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const bool marked = !entryMarked(line);
        const QString entry = markEntry(line, marked);
        check(entryMarked(entry) == marked && entryPath(entry) == entryPath(line));
        check(markEntry(entry, marked) == entry);
        check(displayName(entryPath(entry)).size() <= entryPath(entry).size());
        // Every other line as read, every other one with its mark turned over.
        // A line whose second character is the first half of a pair (no mark,
        // only a name ending in ".mid") would lose that half to the mark: it
        // stays as read, as no such file can be played anyway.
        const bool cutsAPair = line.size() > 2 && line.at(1).isHighSurrogate();
        entries.append(i % 2 == 0 || cutsAPair ? line : entry);
    }
    // A byte-order mark still opening the first line (the list began with two)
    // is taken for the encoding's mark when the list is read back.
    if (!entries.isEmpty() && entries.first().startsWith(QChar(0xFEFF)))
        return 0;

    const QString path = listPath();
    check(writeFile(path, entries).isEmpty());
    // Read back as readFile does, without its 1 MiB buffer, which would cost
    // more than everything else here.
    QFile file(path);
    check(file.open(QIODevice::ReadOnly));
    const QStringList read = splitLines(decodeText(file.readAll()));
    check(read == entries);
    check(firstBrokenLine(read) == firstBrokenLine(entries));
    return 0;
}
