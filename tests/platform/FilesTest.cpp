#include "platform/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kazoon::platform {
namespace {

namespace fs = std::filesystem;

// A fresh folder of the test's own.
fs::path freshFolder(const std::string &name)
{
    const fs::path folder = fs::path(::testing::TempDir()) / ("kazoon-platform-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void put(const fs::path &path, const std::string &text) { std::ofstream(path, std::ios::binary) << text; }

std::string contents(const fs::path &path)
{
    std::string bytes;
    EXPECT_EQ(readSmallFile(path.string(), 1 << 20, bytes), ReadStatus::Ok) << path;
    return bytes;
}

fs::perms permissionsOf(const fs::path &path) { return fs::status(path).permissions(); }

TEST(Files, PathInfoFollowsLinksAndSaysWhatIsThere)
{
    const fs::path dir = freshFolder("info");
    put(dir / "song.mid", "MThd");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "song.mid", dir / "link.mid");
    fs::create_symlink(dir / "gone.mid", dir / "broken.mid");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);

    const struct {
        fs::path path;
        int error;
        bool regular, directory;
        std::int64_t size;
    } rows[] = {
        {dir / "song.mid", 0, true, false, 4},
        {dir / "link.mid", 0, true, false, 4},
        {dir / "folder", 0, false, true, -1},
        {dir / "pipe", 0, false, false, 0},
        {dir / "missing.mid", ENOENT, false, false, 0},
        {dir / "broken.mid", ENOENT, false, false, 0},
        {dir / "song.mid" / "inside", ENOTDIR, false, false, 0},
    };
    for (const auto &row : rows) {
        const PathInfo info = pathInfo(row.path.string());
        EXPECT_EQ(info.error, row.error) << row.path;
        EXPECT_EQ(info.regular, row.regular) << row.path;
        EXPECT_EQ(info.directory, row.directory) << row.path;
        if (row.size >= 0) {
            EXPECT_EQ(info.size, row.size) << row.path;
        }
        EXPECT_EQ(isRegularFile(row.path.string()), row.regular) << row.path;
    }
    EXPECT_FALSE(isRegularFile(""));
}

TEST(Files, ReadsUpToTheLimitAndNotAByteMore)
{
    const fs::path dir = freshFolder("limit");
    put(dir / "ten", "0123456789");
    std::string bytes = "left over";
    EXPECT_EQ(readSmallFile((dir / "ten").string(), 10, bytes), ReadStatus::Ok);
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_EQ(readSmallFile((dir / "ten").string(), 9, bytes), ReadStatus::TooLarge);
    EXPECT_TRUE(bytes.empty()) << "a refused file leaves nothing behind";
    put(dir / "empty", "");
    EXPECT_EQ(readSmallFile((dir / "empty").string(), 0, bytes), ReadStatus::Ok);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(readSmallFile("", 10, bytes), ReadStatus::Missing);
}

TEST(Files, AReplacedFileKeepsItsPermissions)
{
    const fs::path dir = freshFolder("mode");
    const fs::path file = dir / "Kazoon.ini";
    put(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(replaceFile(file.string(), "new").result, FileWrite::Ok);
    EXPECT_EQ(contents(file), "new");
    EXPECT_EQ(permissionsOf(file), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A new file is made as any other: readable and writable as the user's
    // file mask allows.
    const mode_t mask = ::umask(022);
    ASSERT_EQ(replaceFile((dir / "new.mnu").string(), "x").result, FileWrite::Ok);
    ::umask(mask);
    EXPECT_EQ(permissionsOf(dir / "new.mnu"),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

TEST(Files, AChainOfRelativeLinksIsWrittenAtItsEnd)
{
    const fs::path dir = freshFolder("links");
    fs::create_directories(dir / "real" / "lists");
    fs::create_directories(dir / "shown");
    put(dir / "real" / "lists" / "show.mnu", "old");
    // shown/show.mnu -> ../real/current.mnu -> lists/show.mnu, each relative
    // to the folder its link is in.
    fs::create_symlink("lists/show.mnu", dir / "real" / "current.mnu");
    fs::create_symlink("../real/current.mnu", dir / "shown" / "show.mnu");

    ASSERT_EQ(replaceFile((dir / "shown" / "show.mnu").string(), "new").result, FileWrite::Ok);
    EXPECT_EQ(contents(dir / "real" / "lists" / "show.mnu"), "new");
    EXPECT_TRUE(fs::is_symlink(dir / "shown" / "show.mnu"));
    EXPECT_TRUE(fs::is_symlink(dir / "real" / "current.mnu"));
    EXPECT_EQ(fs::read_symlink(dir / "shown" / "show.mnu"), "../real/current.mnu");

    // A loop of links is no target: the write replaces the link itself.
    fs::create_symlink("b.mnu", dir / "a.mnu");
    fs::create_symlink("a.mnu", dir / "b.mnu");
    ASSERT_EQ(replaceFile((dir / "a.mnu").string(), "flat").result, FileWrite::Ok);
    EXPECT_FALSE(fs::is_symlink(dir / "a.mnu"));
    EXPECT_EQ(contents(dir / "a.mnu"), "flat");
}

TEST(Files, AnotherUsersLeftoverStays)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    const fs::path dir = freshFolder("owner");
    const fs::path theirs = dir / "list.mnu.kazoon-Ab12Cd";
    const fs::path ours = dir / "list.mnu.kazoon-Xy34Zw";
    put(theirs, "theirs");
    put(ours, "ours");
    ASSERT_EQ(::chown(theirs.c_str(), 12345, 12345), 0);
    EXPECT_EQ(removeStaleTemporaries((dir / "list.mnu").string()), 1);
    EXPECT_TRUE(fs::exists(theirs));
    EXPECT_FALSE(fs::exists(ours));
}

} // namespace
} // namespace kazoon::platform
