#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "songlist/CheckListBox.h"
#include "support/TestApp.h"

using namespace kazoon;
using kazoon::test::TestApp;

namespace {

class SongMark : public ::testing::Test {
protected:
    TestApp app;
    TfrmMain *w = nullptr;
    QStringList songs;

    void SetUp() override
    {
        app.start();
        w = app.main();
        for (const char *name : {"songs/a.mid", "songs/b.mid", "songs/c.mid"})
            songs << app.makeSong(name);
        app.dialogs.openFile(app.makeList(
            "show.mnu", {"0 " + songs[0], "1 " + songs[1], "0 " + songs[2]}));
        w->action("mnuOpenItem")->trigger();
    }

    // The marks as each copy holds them.
    QString boxes() const
    {
        QString s;
        for (int i = 0; i < w->lstLive->count(); ++i)
            s += w->lstLive->isChecked(i) ? '1' : '0';
        return s;
    }
    QString entries() const
    {
        QString s;
        for (const QString &e : w->lstDmy.items)
            s += e.at(0);
        return s;
    }
};

} // namespace

TEST_F(SongMark, EveryChangeMovesBothCopiesTogether)
{
    ASSERT_EQ(boxes(), "010");
    const struct {
        int song;
        bool marked;
        const char *expected;
    } steps[] = {
        {0, true, "110"}, {1, false, "100"}, {2, true, "101"},
        {2, false, "100"}, {0, false, "000"},
        {-1, true, "000"}, {3, true, "000"}, // no such song: nothing changes
    };
    for (const auto &step : steps) {
        w->setSongMark(step.song, step.marked);
        EXPECT_EQ(boxes(), step.expected) << step.song;
        EXPECT_EQ(entries(), step.expected) << step.song;
    }
}

TEST_F(SongMark, SongPathIsTheEntryWithoutItsMark)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(w->songPath(i), songs[i]);
    EXPECT_EQ(w->songPath(3), QString());
    EXPECT_EQ(w->songPath(-1), QString());
}
