#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kazoon::platform {

namespace fs = std::filesystem;

namespace {

// Closes the descriptor on every way out.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

constexpr std::string_view kTag = ".kazoon-";
constexpr std::size_t kRandomLength = 6;

bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isTemporaryName(std::string_view candidate, std::string_view targetName)
{
    const std::size_t stem = targetName.size() + kTag.size();
    if (candidate.size() != stem + kRandomLength || !candidate.starts_with(targetName) ||
        candidate.substr(targetName.size(), kTag.size()) != kTag)
        return false;
    return std::all_of(candidate.begin() + std::ptrdiff_t(stem), candidate.end(), isAsciiAlnum);
}

std::string randomPart()
{
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, 61);
    std::string s;
    for (std::size_t i = 0; i < kRandomLength; ++i)
        s += kChars[pick(random)];
    return s;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A file written through a symbolic link replaces the link's target, not the
// link. Each step is made absolute and cleaned by name, as the file dialogs
// show paths; a loop of links leaves the path as it was.
std::string resolvedTarget(const std::string &path)
{
    std::error_code ec;
    fs::path current = path;
    for (int depth = 0; depth < 40 && fs::is_symlink(fs::symlink_status(current, ec)); ++depth) {
        const fs::path target = fs::read_symlink(current, ec);
        if (ec)
            return path;
        current = fs::absolute(current.parent_path() / target, ec).lexically_normal();
    }
    if (fs::is_symlink(fs::symlink_status(current, ec)))
        return path;
    const fs::path absolute = fs::absolute(current, ec);
    return ec ? path : absolute.lexically_normal().string();
}

FileWrite failed(FileWrite::Result result, int error)
{
    return {result, error ? error : EIO};
}

} // namespace

PathInfo pathInfo(const std::string &path)
{
    PathInfo result;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        result.error = errno;
        return result;
    }
    result.regular = S_ISREG(info.st_mode);
    result.directory = S_ISDIR(info.st_mode);
    result.size = info.st_size;
    return result;
}

bool isRegularFile(const std::string &path)
{
    return !path.empty() && pathInfo(path).regular;
}

ReadStatus readSmallFile(const std::string &path, std::int64_t maxSize, std::string &bytes)
{
    bytes.clear();
    if (path.empty())
        return ReadStatus::Missing;
    // Non-blocking, so that opening a FIFO without a writer returns at once.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        return ReadStatus::Unreadable;
    if (!S_ISREG(info.st_mode))
        return ReadStatus::NotAFile;
    if (info.st_size > maxSize)
        return ReadStatus::TooLarge;
    // Read one byte past the limit: the file may grow while it is read.
    std::string buffer(std::size_t(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == buffer.size()) {
            if (std::int64_t(filled) > maxSize)
                return ReadStatus::TooLarge;
            buffer.resize(std::size_t(std::min<std::int64_t>(std::int64_t(filled) * 2 + 4096, maxSize + 1)));
        }
        const ssize_t got = ::read(file.fd, buffer.data() + filled, buffer.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ReadStatus::Unreadable;
        if (got == 0)
            break;
        filled += std::size_t(got);
    }
    if (std::int64_t(filled) > maxSize)
        return ReadStatus::TooLarge;
    buffer.resize(filled);
    bytes = std::move(buffer);
    return ReadStatus::Ok;
}

int removeStaleTemporaries(const std::string &path)
{
    std::error_code ec;
    const fs::path target = path;
    const std::string targetName = target.filename().string();
    const fs::path folder = fs::absolute(target, ec).lexically_normal().parent_path();
    if (ec)
        return 0;
    // The names first: the folder changes as leftovers go.
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (isTemporaryName(name, targetName))
            names.push_back(std::move(name));
    }
    int removed = 0;
    for (const std::string &name : names) {
        const std::string file = (folder / name).string();
        const Descriptor f{::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
        struct stat opened {};
        if (f.fd < 0 || ::fstat(f.fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_uid != ::geteuid())
            continue;
        // A writer holds its lock from creation to rename: a lock we can take
        // means nobody writes this file any more.
        if (::flock(f.fd, LOCK_EX | LOCK_NB) != 0)
            continue;
        struct stat named {};
        if (::lstat(file.c_str(), &named) == 0 && sameFile(named, opened) && ::unlink(file.c_str()) == 0)
            ++removed;
    }
    return removed;
}

FileWrite replaceFile(const std::string &path, std::string_view bytes)
{
    const std::string finalName = resolvedTarget(path);
    struct stat existing {};
    const bool exists = ::stat(finalName.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return failed(FileWrite::CannotOpen, EISDIR);
    // A file the user made read-only is not replaced behind their back.
    if (exists && ::access(finalName.c_str(), W_OK) != 0)
        return failed(FileWrite::CannotOpen, errno);

    removeStaleTemporaries(finalName);

    Descriptor f;
    std::string tempName;
    for (int attempt = 0; f.fd < 0; ++attempt) {
        if (attempt == 100)
            return failed(FileWrite::CannotOpen, EEXIST);
        tempName = finalName;
        tempName += kTag;
        tempName += randomPart();
        f.fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (f.fd < 0) {
            if (errno == EEXIST)
                continue;
            return failed(FileWrite::CannotOpen, errno);
        }
        // Another Kazoon's clean-up may have caught the file between its
        // creation and the lock; then it is gone and we start again.
        struct stat opened {}, named {};
        if (::flock(f.fd, LOCK_EX) != 0 || ::fstat(f.fd, &opened) != 0 ||
            ::lstat(tempName.c_str(), &named) != 0 || !sameFile(opened, named)) {
            ::close(f.fd);
            f.fd = -1;
        }
    }

    const auto fail = [&](int error) {
        ::unlink(tempName.c_str());
        return failed(FileWrite::CannotWrite, error);
    };
    if (exists)
        ::fchmod(f.fd, existing.st_mode & 07777);
    const char *data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(f.fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(errno);
        if (n == 0)
            return fail(ENOSPC);
        data += n;
        left -= std::size_t(n);
    }
    // A file system that cannot sync says so; that is no failed write.
    if (::fsync(f.fd) != 0 && errno != EINVAL && errno != ENOTSUP && errno != ENOSYS)
        return fail(errno);
    if (::rename(tempName.c_str(), finalName.c_str()) != 0)
        return fail(errno);
    const int closed = ::close(f.fd);
    f.fd = -1;
    if (closed != 0 && errno != EINTR)
        return failed(FileWrite::CannotWrite, errno); // in place already; the disk may say otherwise
    // The rename itself reaches the disk with the folder.
    const std::string folder = fs::path(finalName).parent_path().string();
    const Descriptor dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0)
        ::fsync(dir.fd);
    return {};
}

} // namespace kazoon::platform
