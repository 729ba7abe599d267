#include "app/TextFile.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

SmallFile readSmallFile(const QString &path, qint64 maxSize)
{
    SmallFile result;
    if (path.isEmpty())
        return result;
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a FIFO without a writer returns at once.
    const Descriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) {
        result.status = errno == ENOENT || errno == ENOTDIR ? SmallFile::Missing : SmallFile::Unreadable;
        return result;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        result.status = SmallFile::Unreadable;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = SmallFile::NotAFile;
        return result;
    }
    if (info.st_size > maxSize) {
        result.status = SmallFile::TooLarge;
        return result;
    }
    // Read one byte past the limit: the file may grow while it is read.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > maxSize) {
                result.status = SmallFile::TooLarge;
                return result;
            }
            bytes.resize(std::min<qsizetype>(filled * 2 + 4096, qsizetype(maxSize) + 1));
        }
        const ssize_t got = ::read(file.fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.status = SmallFile::Unreadable;
            return result;
        }
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > maxSize) {
        result.status = SmallFile::TooLarge;
        return result;
    }
    bytes.truncate(filled);
    result.status = SmallFile::Ok;
    result.bytes = std::move(bytes);
    return result;
}

} // namespace kazoon
