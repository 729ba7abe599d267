#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/FileErrors.h"
#include "app/SafeFile.h"
#include "support/DiskFull.h"

using namespace kazoon;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs a write in a child process that dies of a full file (SIGXFSZ) half
// way, as a crash between the temporary's write and its rename would.
bool crashWhileWriting(const QString &path)
{
    const QByteArray big(64 * 1024, 'x');
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
        rlimit small{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGXFSZ, SIG_DFL);
        replaceFile(path, big);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}

QStringList filesIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System |
                                      QDir::NoDotAndDotDot);
}

} // namespace

TEST(SafeFile, ACrashedWritesLeftoverGoesWithTheNextWrite)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("Kazoon.ini");
    ASSERT_TRUE(replaceFile(target, "old\n").result == FileWrite::Ok);

    ASSERT_TRUE(crashWhileWriting(target));
    QStringList left = filesIn(dir);
    left.removeOne("Kazoon.ini");
    ASSERT_EQ(left.size(), 1); // the crash left its temporary behind
    const QString leftover = left.constFirst();
    EXPECT_EQ(readBytes(target), "old\n");

    // While a running Kazoon holds it, the temporary is not touched.
    const int held = ::open(QFile::encodeName(dir.filePath(leftover)).constData(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    ASSERT_TRUE(replaceFile(target, "new\n").result == FileWrite::Ok);
    EXPECT_TRUE(filesIn(dir).contains(leftover));
    ::close(held);

    ASSERT_TRUE(replaceFile(target, "newer\n").result == FileWrite::Ok);
    EXPECT_EQ(filesIn(dir), QStringList{"Kazoon.ini"});
    EXPECT_EQ(readBytes(target), "newer\n");
}

TEST(SafeFile, OnlyItsOwnLeftoversAreRemoved)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("list.mnu");
    ASSERT_TRUE(crashWhileWriting(target));
    const QString leftover = filesIn(dir).value(0);
    ASSERT_TRUE(leftover.startsWith("list.mnu."));
    const QString stem = leftover.left(leftover.size() - 6); // the random part is six characters
    ASSERT_TRUE(QFile::remove(dir.filePath(leftover)));

    // Names that only look like ours, and ours that are no plain files.
    const QStringList keep = {"list.mnu.backup",  "list.mnu.old123",  stem + "abc",
                              stem + "abcdefg",   stem + "abc_de",    stem + "abc.de",
                              "x" + stem + "abcdef", "other.mnu" + stem.mid(8) + "abcdef"};
    for (const QString &name : keep) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("mine");
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(stem + "folder"));
    ASSERT_TRUE(QFile::link(dir.filePath("list.mnu.backup"), dir.filePath(stem + "linkto")));
    QFile ours(dir.filePath(stem + "Zz09aQ"));
    ASSERT_TRUE(ours.open(QIODevice::WriteOnly));
    ours.close();

    ASSERT_TRUE(replaceFile(target, "0 /a.mid\r\n").result == FileWrite::Ok);
    QStringList expected = keep;
    expected << stem + "folder" << stem + "linkto" << "list.mnu";
    expected.sort();
    EXPECT_EQ(filesIn(dir), expected);
    EXPECT_EQ(readBytes(dir.filePath("list.mnu.backup")), "mine");
}

TEST(SafeFile, ReasonsSpeakJapaneseForTheCommonCauses)
{
    const QString full = QStringLiteral("ディスクの空き容量が足りません。");
    const QString denied = QStringLiteral("アクセス権がありません。");
    const struct {
        int error;
        QString reason;
    } rows[] = {
        {ENOSPC, full},
        {EDQUOT, full},
        {EFBIG, full},
        {EACCES, denied},
        {EPERM, denied},
        {EROFS, QStringLiteral("読み取り専用のファイルシステムです。")},
        {ENOENT, QStringLiteral("ファイルまたはフォルダが見つかりません。")},
        {ENOTDIR, QStringLiteral("ファイルまたはフォルダが見つかりません。")},
        {EIO, QStringLiteral("入出力エラーが発生しました。")},
    };
    for (const auto &row : rows)
        EXPECT_EQ(fileErrorReason(row.error), row.reason) << row.error;
    // Any other cause: a general text, the system's own words in brackets.
    const QString other = fileErrorReason(EISDIR);
    EXPECT_TRUE(other.startsWith(QStringLiteral("エラーが発生しました。("))) << other.toStdString();
    EXPECT_TRUE(other.endsWith(u')'));
    EXPECT_GT(other.size(), 13);
}

TEST(SafeFile, RefusalsSayWhy)
{
    QTemporaryDir dir;
    const FileWrite nowhere = replaceFile(dir.filePath("no/folder/list.mnu"), "x");
    EXPECT_EQ(nowhere.result, FileWrite::CannotOpen);
    EXPECT_EQ(nowhere.error, ENOENT);

    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.mnu"));
    EXPECT_EQ(replaceFile(dir.filePath("taken.mnu"), "x").error, EISDIR);

    // A file reached through a link is written where the link points; the
    // link stays a link.
    const QString real = dir.filePath("real.mnu");
    ASSERT_EQ(replaceFile(real, "old").result, FileWrite::Ok);
    ASSERT_TRUE(QFile::link(real, dir.filePath("link.mnu")));
    ASSERT_EQ(replaceFile(dir.filePath("link.mnu"), "new").result, FileWrite::Ok);
    EXPECT_EQ(readBytes(real), "new");
    EXPECT_TRUE(QFileInfo(dir.filePath("link.mnu")).isSymLink());

    // A disk that fills up half way reports the full disk.
    FileWrite cut;
    ASSERT_TRUE(kazoon::test::withFileSizeLimit(100, [&] { cut = replaceFile(real, QByteArray(4096, 'y')); }));
    EXPECT_EQ(cut.result, FileWrite::CannotWrite);
    EXPECT_EQ(fileErrorReason(cut.error), QStringLiteral("ディスクの空き容量が足りません。"));
    EXPECT_EQ(readBytes(real), "new");
}
