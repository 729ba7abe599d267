#include "app/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kazoon {

namespace {

const QString kTag = QStringLiteral(".kazoon-");
constexpr int kRandomLength = 6;

bool isAsciiAlnum(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool isTemporaryName(const QString &candidate, const QString &targetName)
{
    const qsizetype stem = targetName.size() + kTag.size();
    if (candidate.size() != stem + kRandomLength || !candidate.startsWith(targetName) ||
        QStringView(candidate).mid(targetName.size(), kTag.size()) != kTag)
        return false;
    for (qsizetype i = stem; i < candidate.size(); ++i)
        if (!isAsciiAlnum(candidate.at(i)))
            return false;
    return true;
}

QString randomPart()
{
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString s;
    for (int i = 0; i < kRandomLength; ++i)
        s += QLatin1Char(kChars[QRandomGenerator::global()->bounded(62)]);
    return s;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A file written through a symbolic link replaces the link's target, not the link.
QString resolvedTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.absoluteFilePath();
}

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

FileWrite failed(FileWrite::Result result, int error)
{
    return {result, error ? error : EIO};
}

} // namespace

int removeStaleTemporaries(const QString &path)
{
    const QFileInfo target(path);
    const QString targetName = target.fileName();
    const QDir folder = target.absoluteDir();
    int removed = 0;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!isTemporaryName(name, targetName))
            continue;
        const QByteArray file = QFile::encodeName(folder.filePath(name));
        Fd f;
        f.fd = ::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        struct stat opened {};
        if (f.fd < 0 || ::fstat(f.fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
            opened.st_uid != ::geteuid())
            continue;
        // A writer holds its lock from creation to rename: a lock we can take
        // means nobody writes this file any more.
        if (::flock(f.fd, LOCK_EX | LOCK_NB) != 0)
            continue;
        struct stat named {};
        if (::lstat(file.constData(), &named) == 0 && sameFile(named, opened) &&
            ::unlink(file.constData()) == 0)
            ++removed;
    }
    return removed;
}

FileWrite replaceFile(const QString &path, const QByteArray &bytes)
{
    const QString finalPath = resolvedTarget(path);
    const QByteArray finalName = QFile::encodeName(finalPath);
    struct stat existing {};
    const bool exists = ::stat(finalName.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return failed(FileWrite::CannotOpen, EISDIR);
    // A file the user made read-only is not replaced behind their back.
    if (exists && ::access(finalName.constData(), W_OK) != 0)
        return failed(FileWrite::CannotOpen, errno);

    removeStaleTemporaries(finalPath);

    Fd f;
    QByteArray tempName;
    for (int attempt = 0; f.fd < 0; ++attempt) {
        if (attempt == 100)
            return failed(FileWrite::CannotOpen, EEXIST);
        tempName = QFile::encodeName(finalPath + kTag + randomPart());
        f.fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (f.fd < 0) {
            if (errno == EEXIST)
                continue;
            return failed(FileWrite::CannotOpen, errno);
        }
        // Another Kazoon's clean-up may have caught the file between its
        // creation and the lock; then it is gone and we start again.
        struct stat opened {}, named {};
        if (::flock(f.fd, LOCK_EX) != 0 || ::fstat(f.fd, &opened) != 0 ||
            ::lstat(tempName.constData(), &named) != 0 || !sameFile(opened, named)) {
            ::close(f.fd);
            f.fd = -1;
        }
    }

    const auto fail = [&](int error) {
        ::unlink(tempName.constData());
        return failed(FileWrite::CannotWrite, error);
    };
    if (exists)
        ::fchmod(f.fd, existing.st_mode & 07777);
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(f.fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(errno);
        if (n == 0)
            return fail(ENOSPC);
        data += n;
        left -= n;
    }
    // A file system that cannot sync says so; that is no failed write.
    if (::fsync(f.fd) != 0 && errno != EINVAL && errno != ENOTSUP && errno != ENOSYS)
        return fail(errno);
    if (::rename(tempName.constData(), finalName.constData()) != 0)
        return fail(errno);
    const int closed = ::close(f.fd);
    f.fd = -1;
    if (closed != 0 && errno != EINTR)
        return failed(FileWrite::CannotWrite, errno); // in place already; the disk may say otherwise
    // The rename itself reaches the disk with the folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(finalPath).absolutePath());
    Fd dir;
    dir.fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd >= 0)
        ::fsync(dir.fd);
    return {};
}

} // namespace kazoon
