#include <QCoreApplication>
#include <QLabel>
#include <gtest/gtest.h>

#include "support/EngineShow.h"
#include "app/MainWindow.h"
#include "options/TfrmOption.h"
#include "player/engine/OutputText.h"

using namespace kazoon;

namespace {

struct Show : kazoon::test::EngineShow {
    Show() : EngineShow(engine::Driver::Mode::Manual) {}

    // Three songs of two bars at 120 bpm (32 steps, four seconds), each
    // sounding its own key, with the given marks.
    TfrmMain *open(const QStringList &marks)
    {
        QStringList entries;
        for (int i = 0; i < marks.size(); ++i) {
            const QString song = app.path(QStringLiteral("song%1.mid").arg(i + 1));
            kazoon::test::writeQuarterNotes(song, 61 + i, 8, 120);
            entries << marks[i] + QStringLiteral(" ") + song;
        }
        return EngineShow::open(entries);
    }

    // One tick of the show: 50 ms of song time, the engine's completions, the
    // player's 50 ms timer.
    void tick(TfrmMain *m)
    {
        output->advanceBy(50'000);
        QCoreApplication::processEvents();
        m->PlayTimerTimer();
    }

    std::vector<int> noteOnKeys() const
    {
        std::vector<int> keys;
        for (const auto &msg : output->messages())
            if (msg.bytes.size() == 3 && (msg.bytes[0] & 0xF0) == 0x90 && msg.bytes[2] > 0)
                keys.push_back(msg.bytes[1]);
        return keys;
    }
};

} // namespace

TEST(WholeShow, MarkedSongRunsIntoTheNextAndTheShowWaitsAfterAnUnmarkedOne)
{
    Show show;
    TfrmMain *m = show.open({"1", "0", "0"});
    ASSERT_TRUE(m->songLoaded);
    ASSERT_EQ(m->playerState, Ready);

    m->ButtonPlayClick();
    ASSERT_TRUE(m->playing);
    bool unlockedBeforeSongThree = false;
    for (int i = 0; i < 400 && (m->playing || m->songIndex < 2); ++i) {
        show.tick(m);
        if (!m->playing && m->songIndex < 2)
            unlockedBeforeSongThree = true;
    }

    EXPECT_FALSE(unlockedBeforeSongThree) << "the medley stopped between songs one and two";
    EXPECT_EQ(m->songIndex, 2);
    EXPECT_EQ(m->playerState, Ready);
    EXPECT_FALSE(m->playing);
    EXPECT_TRUE(m->songLoaded);

    // Songs one and two sounded in full, song three waits unplayed.
    const std::vector<int> keys = show.noteOnKeys();
    EXPECT_EQ(std::count(keys.begin(), keys.end(), 61), 8);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), 62), 8);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), 63), 0);

    // Nothing hangs: every note that sounded was released.
    int sounding = 0;
    for (const auto &msg : show.output->messages()) {
        if (msg.bytes.size() != 3)
            continue;
        const int kind = msg.bytes[0] & 0xF0;
        if (kind == 0x90 && msg.bytes[2] > 0)
            ++sounding;
        else if (kind == 0x80 || (kind == 0x90 && msg.bytes[2] == 0))
            sounding = std::max(0, sounding - 1);
    }
    EXPECT_EQ(sounding, 0);

    // Enter then plays song three from its top.
    m->ButtonPlayClick();
    for (int i = 0; i < 200 && m->playing; ++i)
        show.tick(m);
    const std::vector<int> after = show.noteOnKeys();
    EXPECT_EQ(std::count(after.begin(), after.end(), 63), 8);
}

TEST(WholeShow, AnOutputLostMidSongStopsTheShowAtTheNextTickAndEnterPlaysOn)
{
    Show show;
    TfrmMain *m = show.open({"1", "0", "0"});
    m->ButtonPlayClick();
    for (int i = 0; i < 20; ++i)
        show.tick(m);
    const int step = m->lblStep->text().toInt();

    // Gone during a note: no send fails before the next look.
    show.output->fail(true);
    QCoreApplication::processEvents();
    m->PlayTimerTimer();
    EXPECT_FALSE(m->playing);
    ASSERT_EQ(show.app.dialogs.boxes.size(), 1);
    EXPECT_EQ(show.app.dialogs.boxes[0].text, QString::fromStdString(engine::output_text::portLost("recording")));
    EXPECT_EQ(m->songIndex, 0) << "the show does not move on";
    EXPECT_NEAR(m->lblStep->text().toInt(), step, 1);

    show.output->fail(false);
    m->ButtonPlayClick();
    EXPECT_TRUE(m->playing);
    for (int i = 0; i < 10; ++i)
        show.tick(m);
    EXPECT_TRUE(m->playing);
    EXPECT_GT(m->lblStep->text().toInt(), step);
    EXPECT_EQ(show.app.dialogs.boxes.size(), 1);
}

// QS mode with the standby kept silent, on songs that start with notes: the
// audience hears each song only from its start, and nothing is left ringing.
TEST(WholeShow, SilentStandbyLetsTheSongsSoundOnlyFromTheirStart)
{
    Show show;
    TfrmMain *m = show.open({"0", "0"});
    m->frmOption->chkOnMute->setChecked(true);
    m->mnuQsItemClick();
    ASSERT_EQ(m->playerState, QsWaiting);
    const auto count = [&show](int key) {
        const std::vector<int> keys = show.noteOnKeys();
        return std::count(keys.begin(), keys.end(), key);
    };

    m->ButtonSBClick();
    for (int i = 0; i < 100 && m->playerState != StandbyDone; ++i)
        show.tick(m);
    ASSERT_EQ(m->playerState, StandbyDone);
    EXPECT_EQ(count(61), 0) << "the standby run of song one was heard";

    // Song one sounds from the standby step (its notes at steps 16, 20, 24
    // and 28); song two then stands by on its own, silent too.
    m->ButtonPlayClick();
    for (int i = 0; i < 200 && m->songIndex == 0; ++i)
        show.tick(m);
    for (int i = 0; i < 100 && m->playerState != StandbyDone; ++i)
        show.tick(m);
    ASSERT_EQ(m->playerState, StandbyDone);
    EXPECT_EQ(count(61), 4);
    EXPECT_EQ(count(62), 0) << "the standby run of song two was heard";

    m->ButtonPlayClick();
    for (int i = 0; i < 200 && m->playerState == Playing; ++i)
        show.tick(m);
    EXPECT_EQ(count(62), 4);
    int sounding = 0;
    for (const auto &msg : show.output->messages()) {
        const int kind = msg.bytes.size() == 3 ? msg.bytes[0] & 0xF0 : 0;
        if (kind == 0x90 && msg.bytes[2] > 0)
            ++sounding;
        else if (kind == 0x80 || (kind == 0x90 && msg.bytes[2] == 0))
            sounding = std::max(0, sounding - 1);
    }
    EXPECT_EQ(sounding, 0);
}
