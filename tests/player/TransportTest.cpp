#include <QStatusBar>
#include <functional>

#include "PlayerFixture.h"

namespace kazoon::test {
namespace {

using Transport = PlayerTest;

TEST_F(Transport, StateTableOfOneSong)
{
    setList({{"a.mid", 64}});
    struct Row {
        const char *event;
        std::function<void()> run;
        Panel want;
        const char *step;
    };
    const Row rows[] = {
        {"load", [] {}, {Ready, false, true, false, false, false, true, 0, false}, "0"},
        {"play", [&] { w->ButtonPlayClick(); }, {Playing, false, false, true, true, true, true, 0, true}, "0"},
        {"follow", [&] { playOn(20); }, {Playing, false, false, true, true, true, true, 20, true}, "21"},
        {"stop", [&] { w->ButtonStopClick(); }, {Ready, false, true, false, false, true, true, 20, false}, "21"},
        {"continue", [&] { w->ButtonPlayClick(); playOn(4); }, {Playing, false, false, true, true, true, true, 24, true}, "25"},
        {"back to top while playing", [&] { w->ButtonPrevClick(); }, {Playing, false, false, true, true, true, true, 0, true}, "0"},
        {"restart after the delay", [&] { lag(); playOn(8); }, {Playing, false, false, true, true, true, true, 8, true}, "9"},
        {"seek while playing", [&] { w->trackBar->setPosition(40); }, {Playing, false, false, true, true, true, true, 40, true}, "41"},
        {"restart at the new position", [&] { lag(); playOn(2); }, {Playing, false, false, true, true, true, true, 42, true}, "43"},
        {"stop again", [&] { w->ButtonStopClick(); }, {Ready, false, true, false, false, true, true, 42, false}, "43"},
        {"back to top while stopped", [&] { w->ButtonPrevClick(); }, {Ready, false, true, false, false, false, true, 0, false}, "0"},
        {"seek while stopped", [&] { w->trackBar->setPosition(30); }, {Ready, false, true, false, false, true, true, 30, false}, "31"},
        {"seek back to the top", [&] { w->trackBar->setPosition(0); }, {Ready, false, true, false, false, false, true, 0, false}, "0"},
    };
    for (const Row &r : rows) {
        r.run();
        EXPECT_EQ(panel(), r.want) << r.event;
        EXPECT_EQ(step(), QString::fromLatin1(r.step)) << r.event;
        EXPECT_EQ(dev.Position(), w->trackBar->Position()) << r.event;
    }
    EXPECT_TRUE(dev.lastPlayNotify) << "every play asks to hear of its end";
    EXPECT_EQ(info(), QStringLiteral("[Enter]キーで再生します。"));
}

TEST_F(Transport, ALostMidiClockPortIsToldWhileTheSongPlaysOn)
{
    setList({{"a.mid", 64}});
    w->ButtonPlayClick();
    playOn(4);
    dev.clockLoss = "MIDI出力ポート「Drums」が見つかりません。";
    playOn(4);
    EXPECT_EQ(w->statusBar_->currentMessage(), QStringLiteral("MIDIクロック: MIDI出力ポート「Drums」が見つかりません。"));
    EXPECT_EQ(panel().state, Playing);
}

TEST_F(Transport, PlayingLocksTheWindowAndStopUnlocksIt)
{
    setList({{"a.mid"}, {"b.mid"}});
    w->cmdMedley->setEnabled(true);
    w->cmdClear->setEnabled(false);
    w->ButtonPlayClick();
    EXPECT_EQ(info(), QStringLiteral("再生中･･･\r\n[Esc]キーで停止します。"));
    EXPECT_TRUE(locked());
    EXPECT_TRUE(w->PlayTimer.isActive());
    for (Command *c : {w->cmdNew, w->cmdOpen, w->cmdSave, w->cmdEdit, w->cmdQs, w->cmdWrd,
                       w->cmdWrdEdit, w->cmdLesson, w->cmdMedley, w->cmdClear})
        EXPECT_FALSE(c->button()->isEnabled()) << c->button()->objectName().toStdString();
    EXPECT_FALSE(w->cmdQs->menuItem()->isEnabled()) << "F9 must not reload a playing song";
    EXPECT_FALSE(w->mnuEdit->isEnabled());
    EXPECT_FALSE(w->mnuSet->isEnabled());
    EXPECT_FALSE(w->mnuOverItem->isEnabled());
    EXPECT_FALSE(w->mnuAboutItem->isEnabled());

    w->ButtonStopClick();
    EXPECT_FALSE(locked());
    EXPECT_FALSE(w->PlayTimer.isActive());
    EXPECT_TRUE(w->cmdMedley->button()->isEnabled());
    EXPECT_FALSE(w->cmdClear->button()->isEnabled()) << "was disabled before the play";
    EXPECT_TRUE(w->cmdQs->menuItem()->isEnabled());
    EXPECT_TRUE(w->mnuSet->isEnabled());
    // The lyrics card function is off: its toggle is back, its refresh is not.
    EXPECT_TRUE(w->cmdWrd->button()->isEnabled());
    EXPECT_TRUE(w->cmdWrd->menuItem()->isEnabled());
    EXPECT_FALSE(w->cmdWrdEdit->button()->isEnabled());
    EXPECT_FALSE(w->cmdWrdEdit->menuItem()->isEnabled());
}

TEST_F(Transport, StopAtTheEndAndBackToTopInTheFirstStepsAreIgnored)
{
    setList({{"a.mid", 64}});
    w->ButtonPlayClick();
    dev.advance(1);
    const auto before = dev.calls.size();
    w->ButtonPrevClick();
    EXPECT_EQ(dev.calls.size(), before);
    EXPECT_TRUE(w->PlayTimer.isActive());

    dev.finish();
    w->ButtonStopClick();
    EXPECT_FALSE(dev.calls.contains(QStringLiteral("Stop")));
    EXPECT_TRUE(w->playing);
}

TEST_F(Transport, SeekRightAfterAStillTickIsNotSwallowed)
{
    setList({{"a.mid", 200}});
    w->ButtonPlayClick();
    playOn(10);
    tick(); // the song has not moved: the bar gets its own value again
    w->trackBar->setPosition(100);
    EXPECT_TRUE(dev.calls.contains(QStringLiteral("Seek 100")));
    EXPECT_TRUE(w->LagTimer.isActive());
}

TEST_F(Transport, StopDuringThePendingRestartKeepsTheSeekPosition)
{
    setList({{"a.mid", 200}});
    w->ButtonPlayClick();
    w->trackBar->setPosition(100);
    w->ButtonStopClick();
    EXPECT_FALSE(w->LagTimer.isActive());
    EXPECT_EQ(opens(), 1) << "no reload to the top after the stop";
    EXPECT_EQ(panel(), (Panel{Ready, false, true, false, false, true, true, 100, false}));
}

TEST_F(Transport, SeekToTheEndWhilePlayingEndsTheSongAfterTheDelay)
{
    setList({{"a.mid", 64}, {"b.mid", 64}});
    w->ButtonPlayClick();
    w->trackBar->setPosition(64);
    EXPECT_FALSE(w->trackBar->isEnabled());
    lag();
    tick();
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(panel(), (Panel{Ready, false, true, false, false, false, true, 0, false}));
}

TEST_F(Transport, MedleyChainRunsIntoTheNextSongAndStopsAfterAnUnmarkedOne)
{
    setList({{"a.mid", 32, true}, {"b.mid", 48, false}, {"c.mid", 16, false}});
    w->ButtonPlayClick();
    dev.finish();
    tick();
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(QString::fromStdString(dev.openFile), songPath("b.mid"));
    EXPECT_EQ(panel(), (Panel{Playing, false, false, true, true, true, true, 0, true}));
    EXPECT_TRUE(locked()) << "the window stays locked through the medley";

    dev.finish();
    tick();
    EXPECT_EQ(current(), 2);
    EXPECT_EQ(QString::fromStdString(dev.openFile), songPath("c.mid"));
    EXPECT_EQ(panel(), (Panel{Ready, false, true, false, false, false, true, 0, false}));
    EXPECT_FALSE(locked());
    EXPECT_EQ(w->lstLive->toolTip(), QStringLiteral("c.midで終了"));
    EXPECT_EQ(w->songIndex, 2);
    EXPECT_EQ(w->lstDmy.itemIndex, 2);
}

TEST_F(Transport, TheEndsNotificationRunsTheMedleyBeforeThePollAndOnlyOnce)
{
    setList({{"a.mid", 32, true}, {"b.mid", 48, false}, {"c.mid", 16, false}});
    w->ButtonPlayClick();
    dev.finish();
    dev.deliverNotifications();
    EXPECT_EQ(current(), 1) << "the next song starts without waiting for the timer";
    EXPECT_EQ(panel().state, Playing);
    dev.advance(5);
    tick();
    EXPECT_EQ(current(), 1) << "the poll finds the new song playing and leaves it";
    EXPECT_EQ(dev.Position(), 5);

    // A stop's notification ends nothing.
    w->ButtonStopClick();
    dev.deliverNotifications();
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(panel().state, Ready);
    EXPECT_EQ(dev.Position(), 5);
}

TEST_F(Transport, LastSongReloadsWhenUnmarkedAndRepeatsWhenMarked)
{
    setList({{"a.mid", 16, false}});
    w->ButtonPlayClick();
    dev.finish();
    tick();
    EXPECT_EQ(opens(), 2) << "the last song is loaded again";
    EXPECT_EQ(current(), 0);
    EXPECT_EQ(panel(), (Panel{Ready, false, true, false, false, false, true, 0, false}));

    w->lstLive->setChecked(0, true);
    w->ButtonPlayClick();
    for (int round = 3; round <= 5; ++round) {
        dev.finish();
        tick();
        EXPECT_EQ(opens(), round);
        EXPECT_EQ(panel(), (Panel{Playing, false, false, true, true, true, true, 0, true}));
    }
}

TEST_F(Transport, AnEmptyLastSongMarkedToRepeatIsLoadedAgainAndWaits)
{
    setList({{"a.mid", 0, true}});
    w->ButtonPlayClick();
    dev.finish();
    dev.deliverNotifications();
    EXPECT_EQ(opens(), 2);
    EXPECT_EQ(panel(), (Panel{Ready, false, true, false, false, false, true, 0, false}));
}

TEST_F(Transport, AnOutputLostMidSongStopsThePlayAndSaysWhy)
{
    setList({{"a.mid", 64}, {"b.mid", 64}});
    w->ButtonPlayClick();
    playOn(20);
    dev.loseOutput("MIDI出力ポートが見つかりません。");
    dev.deliverNotifications();
    tick();
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, QStringLiteral("MIDI出力ポートが見つかりません。"));
    EXPECT_EQ(panel(), (Panel{Ready, false, true, false, false, true, true, 20, false}));
    EXPECT_EQ(current(), 0) << "the song stays; the show does not move on";
    EXPECT_FALSE(w->portInUse);

    // With the cable back, Enter plays on from where the song stopped.
    w->ButtonPlayClick();
    EXPECT_EQ(panel().state, Playing);
    EXPECT_EQ(dev.Position(), 20);
}

TEST_F(Transport, APlayAfterABusyPortAtTheStopIsNotRefused)
{
    setList({{"a.mid", 64}, {"b.mid", 64}});
    w->ButtonPlayClick();
    playOn(20);
    // Esc comes before the timer has seen the output go: the stop meets the
    // busy port and says why.
    dev.loseOutput("MIDI出力ポートが見つかりません。");
    w->ButtonStopClick();
    ASSERT_EQ(app.dialogs.boxes.size(), 1);

    // With the cable back the next play starts, and the panel says so.
    w->ButtonPlayClick();
    EXPECT_EQ(dev.Mode(), DeviceMode::Playing);
    EXPECT_EQ(panel(), (Panel{Playing, false, false, true, true, true, true, 20, true}));
    EXPECT_EQ(app.dialogs.boxes.size(), 1);
}

TEST_F(Transport, LoadFailureInsideAMedleyStopsTheChain)
{
    setList({{"a.mid", 32, true}, {"b.mid", 32, true}, {"c.mid", 32}});
    dev.failOpen(songPath("b.mid"), 306, "MIDIファイルが壊れています。");
    w->ButtonPlayClick();
    playOn(31);
    dev.finish();
    tick();

    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    const auto &box = app.dialogs.boxes.first();
    EXPECT_EQ(box.text, QStringLiteral("MIDIファイルが壊れています。\n\r\n\r") + songPath("b.mid"));
    EXPECT_EQ(box.caption, QStringLiteral("カズーン"));
    EXPECT_EQ(box.flags, 0x10);
    EXPECT_EQ(panel(), (Panel{LoadError, false, false, false, false, false, false, 0, false}));
    EXPECT_EQ(info(), QStringLiteral("エラー!!\r\nMIDIファイルをロードできません。"));
    EXPECT_EQ(step(), QString());
    EXPECT_EQ(w->statusPanel1->text(), QString());
    EXPECT_EQ(w->statusPanel0->text(), songPath("b.mid"));
    EXPECT_EQ(w->lstLive->toolTip(), QStringLiteral("b.mid をﾛｰﾄﾞできません"));
    EXPECT_FALSE(locked());
    EXPECT_FALSE(w->PlayTimer.isActive());
    EXPECT_FALSE(w->songLoaded);
    EXPECT_FALSE(w->medleyContinuation);

    // Another song that loads brings every command back.
    w->lstLive->setItemIndex(2);
    w->LoadSelectedSong();
    EXPECT_EQ(panel(), (Panel{Ready, false, true, false, false, false, true, 0, false}));
    EXPECT_EQ(step(), QStringLiteral("0"));
}

TEST_F(Transport, LengthShowsMinutesAndSecondsWithoutHours)
{
    struct Row {
        std::int64_t smpte;
        const char *want;
    };
    const Row rows[] = {{3 << 8 | 5 << 16, "3分5秒"}, {1 | 2 << 8 | 10 << 16 | 12 << 24, "2分10秒"}};
    for (const Row &r : rows) {
        const QString path = app.makeSong(QStringLiteral("s.mid"), {64, r.smpte});
        w->lstLive->clearLines();
        w->lstLive->addLine(QStringLiteral("s.mid"));
        w->lstDmy.items = {QStringLiteral("0 ") + path};
        w->lstLive->setItemIndex(0);
        w->LoadSelectedSong();
        EXPECT_EQ(w->statusPanel1->text(), QString::fromUtf8(r.want));
        EXPECT_EQ(w->statusPanel0->text(), path);
    }
}

TEST_F(Transport, PortInUseLeavesTheCommandsAsTheyWere)
{
    setList({{"a.mid"}});
    const Panel before = panel();
    dev.failNext("Play", 337, "MIDIポートは使用中です。");
    w->ButtonPlayClick();
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes.first().text, QStringLiteral("MIDIポートは使用中です。"));
    EXPECT_EQ(app.dialogs.boxes.first().flags, 0x10);
    EXPECT_EQ(panel(), before);
    EXPECT_FALSE(w->portInUse);
    EXPECT_FALSE(locked());
    EXPECT_FALSE(w->msgBoxOpen);
}

TEST_F(Transport, AnyOtherDeviceErrorClosesTheProgram)
{
    setList({{"a.mid"}});
    w->show();
    bool boxFlagged = false;
    app.dialogs.duringBox = [&](const ScriptedDialogs::Box &) { boxFlagged = w->msgBoxOpen; };
    w->ButtonPlayClick();
    dev.failNext("Stop", 257, "内部エラー");
    w->ButtonStopClick();
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes.first().text,
              QStringLiteral("内部エラー\n\r\n\r予期しないエラーが発生しました。カズーンを終了します。"));
    EXPECT_TRUE(boxFlagged);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(app.settingsExist()) << "closed by the normal path, which writes the settings";
}

} // namespace
} // namespace kazoon::test
