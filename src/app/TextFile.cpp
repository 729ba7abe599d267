#include "app/TextFile.h"

#include <QFile>
#include <QStringDecoder>

#include <string>

#include "platform/Files.h"

namespace kazoon {

QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder sjis("Shift_JIS");
    if (!sjis.isValid())
        return QString::fromLatin1(bytes);
    return sjis(bytes);
}

bool isUtf8Text(QByteArrayView bytes)
{
    // Stateless: a character cut off at the end is an error, not one to finish later.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes); // the decoder reads only when its result is taken
    return !utf8.hasError();
}

QString decodeTextAs(bool utf8, QByteArrayView bytes)
{
    if (utf8)
        return QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes);
    QStringDecoder sjis("Shift_JIS");
    if (!sjis.isValid())
        return QString::fromLatin1(bytes);
    return sjis(bytes);
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

SmallFile readSmallFile(const QString &path, qint64 maxSize)
{
    SmallFile result;
    std::string bytes;
    switch (platform::readSmallFile(QFile::encodeName(path).toStdString(), maxSize, bytes)) {
    case platform::ReadStatus::Ok:
        result.status = SmallFile::Ok;
        result.bytes = QByteArray(bytes.data(), qsizetype(bytes.size()));
        break;
    case platform::ReadStatus::Missing:
        result.status = SmallFile::Missing;
        break;
    case platform::ReadStatus::NotAFile:
        result.status = SmallFile::NotAFile;
        break;
    case platform::ReadStatus::Unreadable:
        result.status = SmallFile::Unreadable;
        break;
    case platform::ReadStatus::TooLarge:
        result.status = SmallFile::TooLarge;
        break;
    }
    return result;
}

} // namespace kazoon
