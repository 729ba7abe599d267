#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kazoon {

// UTF-8 (a leading byte-order mark is skipped); bytes that are not valid
// UTF-8 are read as Shift-JIS, as files made on Japanese systems are.
QString decodeText(const QByteArray &bytes);

// For text that comes in pieces: whether decodeText would read all of it as
// UTF-8, and a piece decoded the way decodeText decodes text of that kind.
bool isUtf8Text(QByteArrayView bytes);
QString decodeTextAs(bool utf8, QByteArrayView bytes);

// Splits at CR LF, a lone CR or a lone LF. A line end at the very end of the
// text does not make an extra empty line; an empty text has no lines.
QStringList splitLines(const QString &text);

struct SmallFile {
    enum Status { Ok, Missing, NotAFile, Unreadable, TooLarge } status = Missing;
    QByteArray bytes;
};

// Reads a whole regular file of at most maxSize bytes. Folders, pipes and
// devices are refused without reading, so that a FIFO never blocks the caller.
SmallFile readSmallFile(const QString &path, qint64 maxSize);

} // namespace kazoon
