#include "PlayerFixture.h"
#include "support/EngineShow.h"
#include "player/engine/MidiSequencer.h"
#include "player/engine/Output.h"
#include "player/engine/Transport.h"

namespace kazoon::test {
namespace {

class QsMode : public PlayerTest {
protected:
    // Stands the first song by, starts it from there and plays it to its end.
    void standByPlayAndEnd()
    {
        setQs(true);
        w->ButtonSBClick();
        playOn(15);
        w->ButtonPlayClick();
        dev.finish();
        tick();
    }
};

const Panel kQsWaiting{QsWaiting, true, false, false, false, false, true, 0, false};

TEST_F(QsMode, ToggleReloadsTheSongIntoWaitingOrReady)
{
    setList({{"a.mid"}});
    setQs(true);
    EXPECT_TRUE(w->cmdQs->menuItem()->isChecked());
    EXPECT_EQ(opens(), 2);
    EXPECT_EQ(panel(), kQsWaiting);
    EXPECT_EQ(info(), QStringLiteral("QSモードです。\r\n[Enter]キーでスタンバイします。"));
    setQs(false);
    EXPECT_FALSE(w->cmdQs->button()->isChecked());
    EXPECT_EQ(panel(), (Panel{Ready, false, true, false, false, false, true, 0, false}));
}

TEST_F(QsMode, OffsetZeroParksAtStepSixteenAndPlayStartsThere)
{
    setList({{"a.mid", 64}});
    setQs(true);
    w->ButtonSBClick();
    EXPECT_EQ(panel(), (Panel{StandingBy, false, false, false, false, false, false, 0, true}));
    EXPECT_TRUE(w->cmdSB->isDown());
    EXPECT_EQ(info(), QStringLiteral("スタンバイしています･･･"));
    EXPECT_FALSE(dev.lastPlayNotify);

    playOn(7);
    EXPECT_EQ(w->playerState, StandingBy);
    EXPECT_EQ(step(), QStringLiteral("8"));
    playOn(20); // the run stops at the standby step by itself
    EXPECT_EQ(dev.Position(), 15);
    EXPECT_EQ(panel(), (Panel{StandbyDone, false, true, false, false, true, true, 15, false}));
    EXPECT_FALSE(w->cmdSB->isDown());
    EXPECT_EQ(step(), QStringLiteral("16"));
    EXPECT_EQ(info(), QStringLiteral("スタンバイ完了。\r\n[Enter]キーで再生します。"));
    EXPECT_EQ(w->standbyPosition, 0);
    EXPECT_FALSE(locked());

    w->ButtonPlayClick();
    EXPECT_TRUE(dev.calls.endsWith(QStringLiteral("Resume")));
    EXPECT_TRUE(dev.lastPlayNotify) << "a play resumed from standby asks for notification";
    playOn(5);
    EXPECT_EQ(panel(), (Panel{Playing, false, false, true, true, true, true, 20, true}));
}

// The option silences the standby runs, by hand and after a song, and
// nothing else: plays, the start from standby and the runs with it off sound.
TEST_F(QsMode, SilentStandbyOptionReachesTheStandbyRunsOnly)
{
    setList({{"a.mid", 64}, {"b.mid", 64}});
    w->frmOption->chkOnMute->setChecked(true);
    w->ButtonPlayClick();
    EXPECT_TRUE(dev.calls.endsWith(QStringLiteral("Play")));
    EXPECT_FALSE(dev.lastPlayMuted) << "a play without QS mode";
    w->ButtonStopClick();

    setQs(true);
    w->ButtonSBClick();
    EXPECT_TRUE(dev.lastPlayMuted) << "the standby run";
    playOn(20);
    ASSERT_EQ(w->playerState, StandbyDone);
    w->ButtonPlayClick();
    EXPECT_FALSE(dev.lastPlayMuted) << "the start from standby";
    dev.finish();
    tick();
    ASSERT_EQ(current(), 1);
    ASSERT_EQ(w->playerState, StandingBy);
    EXPECT_TRUE(dev.lastPlayMuted) << "the standby after an unmarked song";

    w->frmOption->chkOnMute->setChecked(false);
    setQs(false);
    setQs(true);
    w->ButtonSBClick();
    EXPECT_TRUE(dev.calls.endsWith(QStringLiteral("Play")));
    EXPECT_FALSE(dev.lastPlayMuted) << "the option off";
}

TEST_F(QsMode, PassedStandbyStepIsStillCaught)
{
    // A fast song passes many steps between two ticks.
    setList({{"a.mid", 500}});
    setQs(true);
    setOffset(16);
    w->ButtonSBClick();
    playOn(200);
    EXPECT_EQ(dev.Position(), 31);
    EXPECT_EQ(w->playerState, StandbyDone);
    EXPECT_EQ(step(), QStringLiteral("32"));
}

TEST_F(QsMode, OffsetMinusFifteenPlaysNothingAndStartsFromTheTop)
{
    setList({{"a.mid", 64}});
    setQs(true);
    setOffset(-15);
    w->ButtonSBClick();
    EXPECT_FALSE(dev.calls.contains(QStringLiteral("Play")));
    tick();
    EXPECT_EQ(w->playerState, StandbyDone);
    EXPECT_EQ(step(), QStringLiteral("1"));
    w->ButtonPlayClick();
    playOn(3);
    EXPECT_EQ(dev.Position(), 3);
    EXPECT_EQ(w->playerState, Playing);
}

TEST_F(QsMode, StandbyLongerThanTheSongGivesTheBox)
{
    setList({{"a.mid", 31}});
    setQs(true);
    setOffset(16);
    w->ButtonSBClick();
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    const auto &box = app.dialogs.boxes.first();
    EXPECT_EQ(box.caption, QStringLiteral("スタンバイの設定エラー"));
    EXPECT_EQ(box.text, QStringLiteral("スタンバイの長さが、MIDIファイル全体の長さを超えています。\r\n"
                                       "設定を調整するか、QSモードを解除してください。"));
    EXPECT_EQ(box.flags, 0x10);
    EXPECT_EQ(panel(), kQsWaiting);
    EXPECT_FALSE(dev.calls.contains(QStringLiteral("Play")));
}

TEST_F(QsMode, UnmarkedSongEndsAndTheNextStandsByAtOnce)
{
    setList({{"a.mid", 64}, {"b.mid", 64}});
    standByPlayAndEnd();
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(QString::fromStdString(dev.openFile), songPath("b.mid"));
    EXPECT_EQ(w->playerState, StandingBy);
    EXPECT_FALSE(w->cmdPlay->isDown());

    // The finished song's own notification comes late and is not the end of
    // the new standby run.
    dev.deliverNotifications();
    EXPECT_EQ(w->playerState, StandingBy);

    playOn(40);
    EXPECT_EQ(w->playerState, StandbyDone);
    EXPECT_EQ(step(), QStringLiteral("16"));
}

TEST_F(QsMode, TooShortNextSongGivesTheBoxWhenItsTurnComes)
{
    setList({{"a.mid", 64}, {"b.mid", 10}});
    standByPlayAndEnd();
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes.first().caption, QStringLiteral("スタンバイの設定エラー"));
    EXPECT_EQ(panel(), kQsWaiting);
    EXPECT_FALSE(locked());
}

TEST_F(QsMode, MarkedSongPlaysTheNextAtOnce)
{
    setList({{"a.mid", 64, true}, {"b.mid", 64}});
    standByPlayAndEnd();
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(panel(), (Panel{Playing, false, false, true, true, true, true, 0, true}));
    playOn(30);
    EXPECT_EQ(w->trackBar->Position(), 30) << "no standby stop in between";
}

TEST_F(QsMode, NotificationWhileARestartIsPendingIsIgnored)
{
    setList({{"a.mid", 64}, {"b.mid", 64}});
    setQs(true);
    w->ButtonSBClick();
    playOn(15);
    w->ButtonPlayClick(); // asks for a notification
    w->trackBar->setPosition(64); // the seek ends that play at the very end
    dev.deliverNotifications();
    EXPECT_EQ(current(), 0) << "the song ends only after the restart";
    lag();
    tick();
    EXPECT_EQ(current(), 1);
}

TEST_F(QsMode, SeekWhileWaitingDropsTheStandby)
{
    setList({{"a.mid", 64}});
    setQs(true);
    // A click that leaves the bar at step 0 changes only the text.
    w->TrackBarChange();
    EXPECT_EQ(info(), QStringLiteral("[Enter]キーで再生します。"));
    EXPECT_TRUE(w->cmdSB->button()->isEnabled());
    EXPECT_FALSE(w->cmdPlay->button()->isEnabled());

    w->trackBar->setPosition(20);
    EXPECT_EQ(panel(), (Panel{Ready, false, true, false, false, true, true, 20, false}));
}

// An output whose clock the test sets and whose driver runs only when told,
// so the clock can pass the end of a play before the driver has noticed it
// (a real-time thread that has not woken yet).
class LaggingOutput final : public engine::Output, private engine::MidiSink {
public:
    void attach(engine::Transport *transport) override { transport_ = transport; }
    std::int64_t nowUs() const override { return now; }
    void wake() override {}
    int error() const override { return 0; }
    std::string errorText() const override { return {}; }
    void runDriver()
    {
        if (transport_)
            transport_->cycle(now, now + 1, *this);
    }
    std::int64_t now = 0;

private:
    bool send(std::span<const std::uint8_t>, std::int64_t) override { return true; }
    engine::Transport *transport_ = nullptr;
};

TEST(QsModeOnTheEngine, StandbyCaughtBeforeTheDriverNoticedItsEndStillStartsTheSong)
{
    TestApp app;
    auto out = std::make_unique<LaggingOutput>();
    LaggingOutput &output = *out;
    engine::MidiSequencer sequencer(std::move(out), [](std::function<void()>) {});
    app.env.device = &sequencer;
    const QString song = app.path(QStringLiteral("a.mid"));
    writeQuarterNotes(song, 60, 16, 120); // 64 steps of 125 ms
    TfrmMain *w = app.start().main();
    w->lstLive->addLine(QStringLiteral("a.mid"));
    w->lstDmy.items << QStringLiteral("0 ") + song;
    w->lstLive->setItemIndex(0);
    w->mnuQsItemClick();
    ASSERT_EQ(w->playerState, QsWaiting);

    w->ButtonSBClick();
    output.runDriver();
    output.now = 1'900'000; // past step 15; the driver has not run since
    ASSERT_EQ(sequencer.Position(), 15);
    w->PlayTimerTimer();
    ASSERT_EQ(w->playerState, StandbyDone);

    w->ButtonPlayClick();
    output.runDriver();
    output.now += 1'000'000;
    output.runDriver();
    EXPECT_EQ(sequencer.Mode(), DeviceMode::Playing);
    EXPECT_GT(sequencer.Position(), 15) << "the song goes on from the standby step";
    app.stop();
}

} // namespace
} // namespace kazoon::test
