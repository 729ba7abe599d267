#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/TextFile.h"
#include "lyrics/LyricsCard.h"

using namespace kazoon;
using namespace kazoon::lyrics;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

const QStringList kNoLines;

} // namespace

TEST(LyricsCard, LinesBecomeMarksAndPages)
{
    struct Row {
        const char *what;
        QStringList lines;
        QStringList steps; // empty: the card is unusable
        QStringList pages;
    };
    const Row rows[] = {
        {"a two-line page, a one-line page and a last mark opening an empty page",
         {"1", "ai", "kokoro", "9", "hana", "20"}, {"1", "9", "20"}, {"ai\r\nkokoro", "hana", ""}},
        {"a card ending with a text line", {"0", "ai", "9", "hana"}, {"0", "9"}, {"ai", "hana"}},
        {"one mark alone", {"1"}, {"1"}, {""}},
        {"an empty line is a text line", {"1", "", "9", "b", ""}, {"1", "9"}, {"", "b\r\n"}},
        {"blank lines inside a page", {"1", "a", "", "  ", "b"}, {"1"}, {"a\r\n\r\n  \r\nb"}},
        {"leading blank and plus sign make marks, kept as read", {" 5", "a", "+7", "b"},
         {" 5", "+7"}, {"a", "b"}},
        {"hexadecimal marks", {"$10", "a", "x1F", "b", "0X20", "c"}, {"$10", "x1F", "0X20"},
         {"a", "b", "c"}},
        {"a trailing blank, a negative number, an overflow and a word are text",
         {"1", "5 ", "-3", "2147483648", "0xFFFFFFFF", "sakura"}, {"1"},
         {"5 \r\n-3\r\n2147483648\r\n0xFFFFFFFF\r\nsakura"}},
        {"the largest mark", {"2147483647", "a"}, {"2147483647"}, {"a"}},
        {"first line a word", {"sakura", "1", "a"}, {}, {}},
        {"first line empty", {"", "1", "a"}, {}, {}},
        {"first line negative", {"-1", "a"}, {}, {}},
        {"first line with a trailing blank", {"5 ", "a"}, {}, {}},
        {"two marks at the start", {"1", "9", "a"}, {}, {}},
        {"two marks in the middle", {"1", "a", "9", "20", "b"}, {}, {}},
        {"two marks at the end", {"1", "a", "9", "20"}, {}, {}},
        {"no lines", {}, {}, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const LyricsCard card = parseLyricsCard(row.lines);
        EXPECT_EQ(card.steps, row.steps);
        EXPECT_EQ(card.pages, row.pages);
        EXPECT_EQ(card.marks.size(), row.steps.size());
        EXPECT_EQ(card.usable(), !row.steps.isEmpty());
    }
    const QStringList forms{" 5", "a", "+7", "b", "$10", "c", "x1F", "d", "0X20", "e"};
    EXPECT_EQ(parseLyricsCard(forms).marks, (QList<int>{5, 7, 16, 31, 32}));
}

TEST(LyricsCard, PageFollowsTheStepDisplayAndThePosition)
{
    struct Row {
        QList<int> marks;
        const char *display;
        int position;
        int page;
    };
    const Row rows[] = {
        // Marks 1, 9, 20: nothing before step 1, the last page to the end.
        {{1, 9, 20}, "0", 0, kEmptyPage},
        {{1, 9, 20}, "1", 0, 0},
        {{1, 9, 20}, "8", 7, 0},
        {{1, 9, 20}, "9", 8, 1},
        {{1, 9, 20}, "19", 18, 1},
        {{1, 9, 20}, "20", 19, 2},
        {{1, 9, 20}, "5000", 4999, 2},
        // A first mark 0 is shown while the display still reads "0".
        {{0, 9}, "0", 0, 0},
        {{0, 9}, "1", 0, 0},
        {{0, 9}, "9", 8, 1},
        {{0}, "0", 0, 0},
        {{0}, "300", 299, 0},
        // A first mark 1 is not shown at "0", though the position is the same.
        {{1}, "0", 0, kEmptyPage},
        {{1}, "1", 0, 0},
        {{5, 9}, "4", 3, kEmptyPage},
        // Marks 0 and 1 both stand at position 0: step 1 shows the second page.
        {{0, 1}, "0", 0, 0},
        {{0, 1}, "1", 0, 1},
        // Out of order: the rules still pick a page where one claims the
        // position, and keep the text where none does.
        {{20, 10, 30}, "25", 24, 1},
        {{20, 10, 30}, "40", 39, 2},
        {{10, 5}, "10", 3, kKeepPage},
        // Nothing to go by: the text stays.
        {{}, "1", 0, kKeepPage},
        {{1, 9}, "", 0, kKeepPage},
        // Extreme values do not overflow.
        {{0, 2147483647}, "2147483647", 2147483646, 1},
        {{0, 2147483647}, "2147483647", 2147483645, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "marks " << row.marks.size() << " first "
                                        << (row.marks.isEmpty() ? -1 : row.marks.first())
                                        << " display " << row.display << " position "
                                        << row.position);
        const player::StepDisplay display = *row.display
                                                ? player::StepDisplay::showing(atoi(row.display))
                                                : player::StepDisplay();
        EXPECT_EQ(pageForPosition(row.marks, display, row.position), row.page);
        // The lines of lstStep give the same answer as their values.
        QStringList steps;
        for (int m : row.marks)
            steps.append(QString::number(m));
        EXPECT_EQ(pageForPosition(steps, display, row.position), row.page);
    }
    // Marks written in another form are compared by value.
    EXPECT_EQ(pageForPosition(QStringList{"+1", " $9", "0x14"}, player::StepDisplay::showing(10), 9),
              1);
}

TEST(LyricsCard, CardNameDropsThreeCharactersNeverBytes)
{
    const struct {
        QString song;
        QString name;
    } rows[] = {
        {"/songs/Song.mid", "Song.txt"},
        {"/songs/SONG.MID", "SONG.txt"},
        {"Song.mid", "Song.txt"},
        {"/songs/夜空の歌.mid", "夜空の歌.txt"},
        {"/songs/夜空の歌.ミディ", "夜空の歌.txt"},
        // Characters outside the basic plane count as one each.
        {QStringLiteral("/songs/\U00020BB7\U00020BB7.\U00020BB7\U00020BB7\U00020BB7"),
         QStringLiteral("\U00020BB7\U00020BB7.txt")},
        {QStringLiteral("/songs/a\U00020BB7"), QStringLiteral("a\U00020BB7txt")},
        {"/songs/abc", "txt"},
        {"/songs/ab", "abtxt"},
        {"/songs/", "txt"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(cardName(row.song), row.name) << row.song.toStdString();
}

TEST(LyricsCard, LookupInBothFolderRules)
{
    using enum LyricsFolderRule;
    const QString song = QStringLiteral("/home/yui/曲/Song.mid");
    const struct {
        LyricsFolderRule rule;
        QString folder;
        QString path;
        bool noFolder;
    } rows[] = {
        {BesideSong, "/lyrics", "/home/yui/曲/Song.txt", false},
        {BesideSong, "", "/home/yui/曲/Song.txt", false},
        {OwnFolder, "/home/yui/歌詞", "/home/yui/歌詞/Song.txt", false},
        {OwnFolder, "/home/yui/歌詞/", "/home/yui/歌詞/Song.txt", false},
        {OwnFolder, "/", "/Song.txt", false},
        // No folder chosen: the lookup looks in "/", the maker must not write.
        {OwnFolder, "", "/Song.txt", true},
    };
    for (const auto &row : rows) {
        const CardLocation card = cardPathFor(song, row.rule, row.folder);
        EXPECT_EQ(card.path, row.path) << row.folder.toStdString();
        EXPECT_EQ(card.noFolder, row.noFolder) << row.folder.toStdString();
    }
    EXPECT_EQ(cardPathFor("Song.mid", BesideSong, QString()).path, "Song.txt");
    // Without the options dialog the rule is the default: beside the song.
    EXPECT_EQ(cardPathFor(song, LiveSettings(nullptr)),
              (CardLocation{"/home/yui/曲/Song.txt", false}));
}

TEST(LyricsCard, ReadsUtf8AndShiftJisCardsOfJapaneseSongs)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString song = dir.filePath(QStringLiteral("夜空の歌.mid"));
    const QString text = QStringLiteral("1\r\n星がひとつ\r\n光る\r\n17\r\n夜空の歌\r\n");
    const QStringList pages{QStringLiteral("星がひとつ\r\n光る"), QStringLiteral("夜空の歌")};

    writeBytes(cardPathFor(song, LyricsFolderRule::BesideSong, QString()).path, "\xEF\xBB\xBF" + text.toUtf8());
    LyricsCard card = readLyricsCard(dir.filePath(QStringLiteral("夜空の歌.txt")));
    EXPECT_EQ(card.steps, (QStringList{"1", "17"}));
    EXPECT_EQ(card.pages, pages);

    // A card saved on a Japanese system, in Shift-JIS, in the lyrics folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("歌詞")));
    const QString folder = dir.filePath(QStringLiteral("歌詞"));
    QStringEncoder sjis("Shift_JIS");
    const QByteArray encoded = sjis(text);
    ASSERT_FALSE(sjis.hasError());
    writeBytes(folder + QStringLiteral("/夜空の歌.txt"), encoded);
    card = readLyricsCard(cardPathFor(song, LyricsFolderRule::OwnFolder, folder).path);
    EXPECT_EQ(card.pages, pages);
}

TEST(LyricsCard, UnreadableCardsAreMissingCards)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString card = QStringLiteral("1\r\nla la la\r\n");

    const QString folder = dir.filePath("Folder.txt");
    ASSERT_TRUE(QDir(dir.path()).mkdir("Folder.txt"));
    // Nobody writes to this pipe: reading it must not wait.
    const QString fifo = dir.filePath("Fifo.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString large = dir.filePath("Large.txt");
    writeBytes(large, card.toUtf8() + QByteArray(kMaxCardSize, 'a'));
    const QString limit = dir.filePath("Limit.txt");
    writeBytes(limit, card.toUtf8() + QByteArray(kMaxCardSize - card.size(), 'a'));

    const struct {
        QString path;
        SmallFile::Status status;
    } rows[] = {
        {dir.filePath("None.txt"), SmallFile::Missing},
        {dir.filePath("None/Song.txt"), SmallFile::Missing},
        {QString(), SmallFile::Missing},
        {folder, SmallFile::NotAFile},
        {fifo, SmallFile::NotAFile},
        {"/dev/zero", SmallFile::NotAFile},
        {large, SmallFile::TooLarge},
        {limit, SmallFile::Ok},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        EXPECT_EQ(readSmallFile(row.path, kMaxCardSize).status, row.status);
        EXPECT_EQ(readLyricsCard(row.path).usable(), row.status == SmallFile::Ok);
    }
}

TEST(LyricsCard, CardWithoutReadPermissionIsMissing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Song.txt");
    writeBytes(path, "1\r\nla\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    if (::geteuid() != 0) {
        EXPECT_EQ(readSmallFile(path, kMaxCardSize).status, SmallFile::Unreadable);
        EXPECT_FALSE(readLyricsCard(path).usable());
        return;
    }
    // Root reads every file: read it as nobody in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        const bool refused = readSmallFile(path, kMaxCardSize).status == SmallFile::Unreadable
                             && !readLyricsCard(path).usable();
        ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100)
        GTEST_SKIP() << "cannot give up root here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
