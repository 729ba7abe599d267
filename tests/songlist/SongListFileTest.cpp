#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "songlist/ListHint.h"
#include "songlist/SongListFile.h"
#include "support/DiskFull.h"

using namespace kazoon::songlist;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

} // namespace

TEST(SongListFile, SplitsEveryLineEndWithoutATrailingEmptyLine)
{
    EXPECT_EQ(splitLines(""), QStringList());
    EXPECT_EQ(splitLines("a\r\nb\rc\nd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), QStringList{"a"});
    EXPECT_EQ(splitLines("a\r"), QStringList{"a"});
    // Empty lines in the middle and at the end are kept (they make the file broken).
    EXPECT_EQ(splitLines("a\r\n\r\nb\r\n\r\n"), (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(splitLines("\n"), QStringList{""});
    // LF CR is two line ends, CR LF one.
    EXPECT_EQ(splitLines("a\n\rb"), (QStringList{"a", "", "b"}));
}

TEST(SongListFile, FormatCheckAcceptsAMarkOrAMidEnding)
{
    EXPECT_FALSE(isBrokenLine("0 /songs/A.MID"));   // passes on its mark
    EXPECT_FALSE(isBrokenLine("1 /songs/a.txt"));
    EXPECT_FALSE(isBrokenLine("x /songs/a.mid"));   // passes on its ending
    EXPECT_FALSE(isBrokenLine("/songs/a.mid"));
    EXPECT_FALSE(isBrokenLine(".mid"));             // four characters, compared whole
    EXPECT_FALSE(isBrokenLine("0"));
    EXPECT_TRUE(isBrokenLine("2 /songs/a.txt"));
    EXPECT_TRUE(isBrokenLine("x /songs/a.MID"));    // the ending is case-sensitive
    EXPECT_TRUE(isBrokenLine("mid"));
    EXPECT_TRUE(isBrokenLine(""));
    EXPECT_TRUE(isBrokenLine(QStringLiteral("0 /a") + QChar(0) + QStringLiteral(".mid")));

    // A path longer than the system allows (counted in bytes of UTF-8) is no path.
    const QString pad = QStringLiteral(".mid");
    for (const QString &unit : {QStringLiteral("a"), QStringLiteral("\u00e9"), QStringLiteral("\u3042"),
                                QStringLiteral("\U0001D11E")}) {
        const qsizetype unitBytes = unit.toUtf8().size();
        QString path = unit.repeated((kMaxPathBytes - 4) / unitBytes);
        path += QString((kMaxPathBytes - 4) % unitBytes, u'x') + pad;
        ASSERT_EQ(path.toUtf8().size(), kMaxPathBytes);
        EXPECT_FALSE(isBrokenLine("0 " + path)) << unitBytes;
        EXPECT_FALSE(isBrokenLine("x " + path)) << unitBytes;
        EXPECT_TRUE(isBrokenLine("0 x" + path)) << unitBytes;
        EXPECT_TRUE(isBrokenLine("x " + unit + path)) << unitBytes;
    }

    EXPECT_EQ(firstBrokenLine({}), 0);
    EXPECT_EQ(firstBrokenLine({"0 a", "1 b"}), -1);
    EXPECT_EQ(firstBrokenLine({"0 a", "", "1 b"}), 1);
}

TEST(SongListFile, EntriesNamesAndMarks)
{
    EXPECT_EQ(entryPath("x /songs/a.mid"), "/songs/a.mid");
    EXPECT_EQ(entryPath("/songs/a.mid"), "ongs/a.mid");
    EXPECT_EQ(entryPath("0"), "");
    EXPECT_TRUE(entryMarked("1 /a.mid"));
    EXPECT_FALSE(entryMarked("x /a.mid"));
    EXPECT_EQ(markEntry("0 /a b/1 c.mid", true), "1 /a b/1 c.mid");
    EXPECT_EQ(markEntry("1 /a.mid", false), "0 /a.mid");
    EXPECT_EQ(displayName("/home/ユーザー/曲/イントロ.mid"), "イントロ.mid");
    EXPECT_EQ(displayName("intro.mid"), "intro.mid");
}

TEST(ListHint, FiveForms)
{
    EXPECT_EQ(listHint("a.mid", "b.mid", true, false), QStringLiteral("a.mid～b.midのメドレー"));
    EXPECT_EQ(listHint("a.mid", "b.mid", false, false), QStringLiteral("a.midの後、MC"));
    EXPECT_EQ(listHint("a.mid", QString(), true, true), QStringLiteral("a.midをくり返し再生"));
    EXPECT_EQ(listHint("a.mid", QString(), false, true), QStringLiteral("a.midで終了"));
    EXPECT_EQ(loadFailureHint("a.mid"), QStringLiteral("a.mid をﾛｰﾄﾞできません"));
}

class SongListFileIo : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
};

TEST_F(SongListFileIo, RoundTripIsByteForByte)
{
    const QStringList entries{"0 " + path("序曲.mid"), "1 " + path("a b.mid"), "0 " + path("c.MID")};
    ASSERT_EQ(writeFile(path("list.mnu"), entries), QString());
    const QByteArray bytes = readBytes(path("list.mnu"));
    EXPECT_EQ(bytes, (entries.join("\r\n") + "\r\n").toUtf8());
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));

    const ReadResult r = readFile(path("list.mnu"));
    ASSERT_EQ(r.status, ReadResult::Ok);
    EXPECT_EQ(r.lines, entries);
    ASSERT_EQ(writeFile(path("again.mnu"), r.lines), QString());
    EXPECT_EQ(readBytes(path("again.mnu")), bytes);
}

TEST_F(SongListFileIo, ReadsShiftJisAndSkipsAUtf8Bom)
{
    QStringEncoder sjis("Shift_JIS");
    ASSERT_TRUE(sjis.isValid());
    const QString line = QStringLiteral("1 /曲/カズーンのテーマ.mid");
    writeBytes(path("sjis.mnu"), QByteArray(sjis(line)) + "\r\n0 /b.mid\r\n");
    ReadResult r = readFile(path("sjis.mnu"));
    ASSERT_EQ(r.status, ReadResult::Ok);
    EXPECT_EQ(r.lines, (QStringList{line, "0 /b.mid"}));

    writeBytes(path("bom.mnu"), "\xEF\xBB\xBF" + line.toUtf8() + "\n");
    r = readFile(path("bom.mnu"));
    EXPECT_EQ(r.lines, QStringList{line});
}

TEST_F(SongListFileIo, BrokenFilesNeverGetThrough)
{
    writeBytes(path("empty.mnu"), "");
    EXPECT_EQ(firstBrokenLine(readFile(path("empty.mnu")).lines), 0);

    // Binary junk decodes to something and is then refused by the format check.
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 7919 + 13) & 0xFF));
    writeBytes(path("junk.mnu"), junk);
    const ReadResult r = readFile(path("junk.mnu"));
    ASSERT_EQ(r.status, ReadResult::Ok);
    EXPECT_GE(firstBrokenLine(r.lines), 0);

    QFile huge(path("huge.mnu"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(kMaxFileSize + 1));
    huge.close();
    EXPECT_EQ(readFile(path("huge.mnu")).status, ReadResult::TooLarge);

    EXPECT_EQ(readFile(path("nothing-here.mnu")).status, ReadResult::Unreadable);
    // A folder or a pipe with no writer is refused at once instead of blocking.
    EXPECT_EQ(readFile(dir.path()).status, ReadResult::Unreadable);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.mnu")).constData(), 0600), 0);
    EXPECT_EQ(readFile(path("pipe.mnu")).status, ReadResult::Unreadable);
}

TEST_F(SongListFileIo, MissingSongIsTheFirstPathWithoutAFile)
{
    writeBytes(path("a.mid"), "MThd");
    QDir(dir.path()).mkdir("folder.mid");
    EXPECT_EQ(firstMissingSong({"0 " + path("a.mid"), "x " + path("a.mid")}), -1);
    EXPECT_EQ(firstMissingSong({"0 " + path("a.mid"), "1 " + path("b.mid"), "0 /c.mid"}), 1);
    EXPECT_EQ(firstMissingSong({"0 " + path("folder.mid")}), 0);
    EXPECT_EQ(firstMissingSong({"0"}), 0);
}

TEST_F(SongListFileIo, FailedWriteLeavesTheOldFile)
{
    const QString target = path("list.mnu");
    writeBytes(target, "0 /old.mid\r\n");

    EXPECT_EQ(writeFile(path("no/such/folder/list.mnu"), {"0 /a.mid"}),
              QStringLiteral("ファイルまたはフォルダが見つかりません。"));

    // A disk that fills up half way.
    QStringList entries;
    for (int i = 0; i < 200; ++i)
        entries.append(QStringLiteral("0 /songs/%1.mid").arg(i));
    QString error;
    ASSERT_TRUE(kazoon::test::withFileSizeLimit(512, [&] { error = writeFile(target, entries); }));

    EXPECT_EQ(error, QStringLiteral("ディスクの空き容量が足りません。"));
    EXPECT_EQ(readBytes(target), "0 /old.mid\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.mnu"});
}
