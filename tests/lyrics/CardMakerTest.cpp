#include <gtest/gtest.h>

#include "lyrics/CardMaker.h"
#include "lyrics/LyricsCard.h"

using namespace kazoon::lyrics;

namespace {

// The card read back from what the maker writes.
LyricsCard readBack(const QStringList &pages, const QList<int> &marks)
{
    return parseLyricsCard(cardBytes(pages, marks));
}

} // namespace

TEST(CardMakerPages, BlankLinesSeparatePages)
{
    struct Row {
        const char *what;
        QString text;
        QStringList pages;
    };
    const Row rows[] = {
        {"nothing", "", {}},
        {"only blank lines", "\n \n\t\n", {}},
        {"one page of two lines", "haru\nnatsu", {"haru\r\nnatsu"}},
        {"two pages", "haru\n\nnatsu\n", {"haru", "natsu"}},
        {"blank runs count once, blanks only is blank", "\n\nharu\n \n\n\nnatsu\n\n",
         {"haru", "natsu"}},
        {"CR LF and lone CR from a file", "a\r\nb\r\n\r\nc\rd", {"a\r\nb", "c\r\nd"}},
        {"lines keep their own blanks", "  haru  \n\nnatsu", {"  haru  ", "natsu"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(pagesFromText(row.text), row.pages);
        EXPECT_EQ(pagesFromText(textFromPages(row.pages)), row.pages);
    }
}

TEST(CardMakerCard, WritesMarksAndPagesWithCrLfAndReadsBackTheSame)
{
    struct Row {
        const char *what;
        QStringList pages;
        QList<int> marks;
        QByteArray bytes;
        QStringList readPages; // as the lyrics window shows them
    };
    const Row rows[] = {
        {"two pages", {"haru\r\nhana", "natsu"}, {1, 17},
         "1\r\nharu\r\nhana\r\n17\r\nnatsu\r\n", {"haru\r\nhana", "natsu"}},
        {"first page from the top", {"a"}, {0}, "0\r\na\r\n", {"a"}},
        {"Japanese text in UTF-8", {"さくら さくら"}, {5},
         QByteArray("5\r\n") + QStringLiteral("さくら さくら").toUtf8() + "\r\n",
         {QStringLiteral("さくら さくら")}},
        {"lines that read as numbers get a blank", {"1\r\n2, 3\r\n 42", "x1F\r\n-7"}, {1, 9},
         "1\r\n1 \r\n2, 3\r\n 42 \r\n9\r\nx1F \r\n-7\r\n",
         {"1 \r\n2, 3\r\n 42 ", "x1F \r\n-7"}}, // below 0 is no mark
        {"an empty page keeps a line of its own", {"", "a", ""}, {1, 5, 9},
         "1\r\n\r\n5\r\na\r\n9\r\n\r\n", {"", "a", ""}},
        {"lone line ends inside a page", {"a\nb\r3"}, {2}, "2\r\na\r\nb\r\n3 \r\n",
         {"a\r\nb\r\n3 "}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(cardBytes(row.pages, row.marks), row.bytes);
        const LyricsCard card = readBack(row.pages, row.marks);
        ASSERT_TRUE(card.usable());
        EXPECT_EQ(card.marks, row.marks);
        EXPECT_EQ(card.pages, row.readPages);
        QStringList asWritten;
        for (const QString &page : row.pages)
            asWritten << pageAsWritten(page);
        EXPECT_EQ(card.pages, asWritten);
    }
}

TEST(CardMakerCard, ChecksPagesAgainstMarksBeforeWriting)
{
    struct Row {
        const char *what;
        QStringList pages;
        QList<int> marks;
        CardCheck::Problem problem;
        int index;
    };
    const Row rows[] = {
        {"a good card", {"a", "b"}, {1, 2}, CardCheck::Ok, -1},
        {"no lyrics", {}, {1}, CardCheck::NoPages, -1},
        {"a page not tapped yet", {"a", "b"}, {1}, CardCheck::FewerMarks, -1},
        {"a tap too many", {"a"}, {1, 9}, CardCheck::MoreMarks, -1},
        {"the same step twice", {"a", "b", "c"}, {1, 5, 5}, CardCheck::NotRising, 2},
        {"marks out of order", {"a", "b"}, {9, 3}, CardCheck::NotRising, 1},
        {"bigger than a card may be", {QString(600 * 1024, QLatin1Char('a')),
                                       QString(600 * 1024, QLatin1Char('b'))},
         {1, 2}, CardCheck::TooLarge, -1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const CardCheck check = checkCard(row.pages, row.marks);
        EXPECT_EQ(check.problem, row.problem);
        EXPECT_EQ(check.index, row.index);
        EXPECT_EQ(cardProblemText(check, int(row.pages.size()), int(row.marks.size())).isEmpty(),
                  row.problem == CardCheck::Ok);
        if (row.problem == CardCheck::Ok) {
            EXPECT_TRUE(readBack(row.pages, row.marks).usable());
        }
    }
}

TEST(CardMakerTaps, TapUndoEditAndNudge)
{
    TapList taps;
    EXPECT_FALSE(taps.undo()) << "nothing to take back";
    taps.tap(1);
    taps.tap(17);
    taps.tap(33);
    EXPECT_EQ(taps.marks(), (QList<int>{1, 17, 33}));
    EXPECT_TRUE(taps.undo());
    EXPECT_EQ(taps.marks(), (QList<int>{1, 17}));

    struct Step {
        const char *what;
        bool (*op)(TapList &);
        bool done;
        QList<int> marks;
    };
    const Step steps[] = {
        {"one step later", [](TapList &t) { return t.nudge(1, 1); }, true, {1, 18}},
        {"two steps earlier", [](TapList &t) { return t.nudge(1, -2); }, true, {1, 16}},
        {"stops at 0", [](TapList &t) { return t.nudge(0, -5); }, true, {0, 16}},
        {"no such row", [](TapList &t) { return t.nudge(2, 1); }, false, {0, 16}},
        {"set by hand", [](TapList &t) { return t.setMark(0, 3); }, true, {3, 16}},
        {"a negative value is refused", [](TapList &t) { return t.setMark(0, -1); }, false,
         {3, 16}},
        {"a row past the end is refused", [](TapList &t) { return t.setMark(5, 1); }, false,
         {3, 16}},
        {"the largest mark does not wrap", [](TapList &t) {
             return t.setMark(1, 2147483647) && t.nudge(1, 1);
         }, true, {3, 2147483647}},
        {"undo takes the last", [](TapList &t) { return t.undo(); }, true, {3}},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(step.op(taps), step.done);
        EXPECT_EQ(taps.marks(), step.marks);
    }
}

TEST(CardMakerTaps, NewTakeReplacesTheMarksFromTheFirstPageAndUndoBringsThemBack)
{
    TapList taps;
    taps.setMarks({1, 9, 17}); // from the song's card
    EXPECT_TRUE(taps.canUndo());
    taps.tap(25); // no take started: after them
    EXPECT_EQ(taps.marks(), (QList<int>{1, 9, 17, 25}));
    EXPECT_TRUE(taps.undo());

    struct Step {
        const char *what;
        void (*op)(TapList &);
        QList<int> marks;
    };
    const Step steps[] = {
        {"a take's first tap replaces them all", [](TapList &t) { t.startTake(); t.tap(3); }, {3}},
        {"the next ones go after it", [](TapList &t) { t.tap(11); }, {3, 11}},
        {"undo takes back the last tap", [](TapList &t) { t.undo(); }, {3}},
        {"undo of the first tap brings the old marks back", [](TapList &t) { t.undo(); },
         {1, 9, 17}},
        {"the take is at its start again", [](TapList &t) { t.tap(5); }, {5}},
        {"a second take replaces the first", [](TapList &t) { t.startTake(); t.tap(2); }, {2}},
        {"undo goes back through both takes", [](TapList &t) { t.undo(); t.undo(); }, {1, 9, 17}},
        {"then the old marks one by one", [](TapList &t) { t.undo(); }, {1, 9}},
        {"a take with no tap changes nothing", [](TapList &t) { t.startTake(); t.undo(); }, {1}},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        step.op(taps);
        EXPECT_EQ(taps.marks(), step.marks);
    }
    // Marks read again end the take and what there was to undo.
    taps.setMarks({4});
    taps.tap(8);
    EXPECT_EQ(taps.marks(), (QList<int>{4, 8}));
}
