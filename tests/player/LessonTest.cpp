#include <QCoreApplication>
#include <QPushButton>
#include <map>
#include <utility>
#include <vector>

#include "PlayerFixture.h"
#include "smf/SmfWriter.h"
#include "support/EngineShow.h"

namespace kazoon::test {
namespace {

class LessonMode : public PlayerTest {
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        w->frmOption->chkOnLsn->setChecked(true);
    }

    // A list of two songs, the first loaded, lesson mode on.
    void enter(std::int64_t steps = 256)
    {
        setList({{"a.mid", steps}, {"b.mid"}});
        w->afterListLoaded();
        w->setBulkMarkCommands({false, false});
        w->mnuLsnItemClick();
    }

    void moveTo(int p) { w->trackBar->setPosition(p); }
    // Position 0 with step 1 shown, as keypad + gives it from step 0.
    void stepOne()
    {
        moveTo(0);
        w->FormKeyDown(w, Qt::Key_Plus, Qt::KeypadModifier);
        ASSERT_EQ(step(), QStringLiteral("1"));
    }

    // The passage's play runs out at the end flag and the device says so.
    void reachEndFlag()
    {
        dev.finish();
        dev.deliverNotifications();
    }

    QStringList prevHints() const
    {
        QStringList hints{w->cmdPrev->menuItem()->text()};
        for (QAction *b : w->cmdPrev->buttons())
            hints << b->toolTip();
        return hints;
    }
};

const QString kLessonText = QStringLiteral("レッスンモードです。\r\nリストの移動はできません。");

TEST_F(LessonMode, EnteringLocksTheListAndSuspendsQsModeAndLeavingGivesAllBack)
{
    setList({{"a.mid", 256}, {"b.mid"}});
    w->afterListLoaded();
    w->setBulkMarkCommands({false, false}); // all unmarked: 全て連続再生 on
    setQs(true);
    moveTo(37);
    const int opensBefore = opens();

    w->mnuLsnItemClick();
    EXPECT_TRUE(w->lessonMode);
    EXPECT_TRUE(w->cmdLesson->menuItem()->isChecked());
    EXPECT_TRUE(w->cmdLesson->isDown());
    EXPECT_FALSE(w->cmdQs->isDown());
    EXPECT_TRUE(w->qsSuspendedByLesson);
    EXPECT_EQ(panel(), (Panel{Lesson, false, true, false, false, false, true, 0, false}));
    EXPECT_EQ(step(), QStringLiteral("0"));
    EXPECT_EQ(info(), kLessonText);
    EXPECT_EQ(w->trackBar->SelStart(), 0);
    EXPECT_EQ(w->trackBar->SelEnd(), 256);
    EXPECT_TRUE(w->cmdSflg->isEnabled());
    EXPECT_FALSE(w->cmdEflg->isEnabled());
    EXPECT_EQ(prevHints(), QStringList(3, QStringLiteral("開始位置に戻る")));

    // The list, the file and edit commands and QS mode are locked; the
    // settings menu (to leave) and the version stay.
    EXPECT_TRUE(locked());
    for (Command *c : {w->cmdNew, w->cmdOpen, w->cmdSave, w->cmdEdit, w->cmdQs, w->cmdMedley,
                       w->cmdClear})
        EXPECT_FALSE(c->button()->isEnabled()) << c->button()->objectName().toStdString();
    for (QAction *a : {w->mnuOverItem, w->mnuSaveItem, w->mnuEdit->menuAction(), w->cmdQs->menuItem()})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(w->mnuSet->isEnabled());
    EXPECT_TRUE(w->mnuAboutItem->isEnabled());
    EXPECT_TRUE(w->cmdLesson->isEnabled());

    moveTo(40);
    w->mnuLsnItemClick();
    EXPECT_FALSE(w->lessonMode);
    EXPECT_FALSE(w->cmdLesson->isDown());
    EXPECT_TRUE(w->cmdQs->isDown());
    EXPECT_FALSE(w->qsSuspendedByLesson);
    EXPECT_FALSE(locked());
    EXPECT_TRUE(w->cmdMedley->button()->isEnabled());
    EXPECT_FALSE(w->cmdClear->button()->isEnabled()) << "was off before lesson mode";
    EXPECT_TRUE(w->cmdQs->menuItem()->isEnabled());
    EXPECT_TRUE(w->mnuEdit->isEnabled());
    EXPECT_FALSE(w->cmdSflg->isEnabled());
    EXPECT_FALSE(w->cmdEflg->isEnabled());
    EXPECT_EQ(w->trackBar->SelStart(), 0);
    EXPECT_EQ(w->trackBar->SelEnd(), 0);
    EXPECT_EQ(prevHints(), QStringList(3, QStringLiteral("先頭に戻る")));
    // The song is loaded again from its top and waits for its standby.
    EXPECT_EQ(panel(), (Panel{QsWaiting, true, false, false, false, false, true, 0, false}));
    EXPECT_EQ(opens(), opensBefore + 2) << "once on entering (QS mode off), once on leaving";
}

TEST_F(LessonMode, ListKeysClicksAndMarksDoNothing)
{
    enter();
    const Panel before = panel();
    for (int key : {Qt::Key_Down, Qt::Key_Space, Qt::Key_Up}) {
        w->FormKeyDown(w, key, {});
        w->FormKeyUp(w, key, {});
    }
    EXPECT_FALSE(w->LagTimer.isActive());
    EXPECT_EQ(current(), 0);
    EXPECT_FALSE(w->lstLive->isChecked(0));
    EXPECT_EQ(panel(), before);
    EXPECT_EQ(opens(), 1);
}

TEST_F(LessonMode, HomeAndEndMoveThePosition)
{
    enter();
    w->FormKeyDown(w, Qt::Key_End, {});
    EXPECT_EQ(w->trackBar->Position(), 256);
    EXPECT_TRUE(w->cmdPlay->isEnabled()) << "the end of the song is the end of the passage";
    EXPECT_FALSE(w->cmdSflg->isEnabled());
    EXPECT_TRUE(w->cmdEflg->isEnabled());
    w->FormKeyDown(w, Qt::Key_Home, {});
    EXPECT_EQ(w->trackBar->Position(), 0);
    EXPECT_EQ(opens(), 1);
}

// The flags after a sequence of moves and flag commands on a song of 256
// steps. A step of 0 with `one` set stands at step 1 (position 0, "1" shown).
struct FlagStep {
    int pos;
    bool one;
    char flag; // 'S' start flag, 'E' end flag
};
struct FlagRow {
    const char *name;
    std::vector<FlagStep> steps;
    int selStart, selEnd;
    bool atStepOne, play, prev, sflg, eflg;
};

TEST_F(LessonMode, FlagRules)
{
    const FlagRow rows[] = {
        {"entering: the whole song", {}, 0, 256, false, true, false, true, false},
        {"start and end", {{32, false, 'S'}, {160, false, 'E'}}, 32, 160, false, true, true, true, true},
        {"start ten before the end moves the end to the song's end",
         {{100, false, 'E'}, {90, false, 'S'}}, 90, 256, false, true, false, true, true},
        {"end ten after the start pulls the start to the top",
         {{50, false, 'S'}, {60, false, 'E'}}, 0, 60, false, true, true, true, true},
        {"end sixteen after the start keeps it", {{50, false, 'S'}, {66, false, 'E'}}, 50, 66, false,
         true, true, true, true},
        {"start at step 1", {{0, true, 'S'}}, 0, 256, true, true, false, true, false},
        {"a short end drops step 1", {{0, true, 'S'}, {15, false, 'E'}}, 0, 15, false, true, true,
         true, true},
        {"end at the song's end", {{240, false, 'S'}, {256, false, 'E'}}, 240, 256, false, true, true,
         false, true},
        {"start at the top keeps the end flag off", {{0, false, 'S'}}, 0, 256, false, true, false,
         true, false},
    };
    for (const FlagRow &row : rows) {
        SCOPED_TRACE(row.name);
        if (w->lessonMode)
            w->mnuLsnItemClick();
        w->lstLive->clearLines();
        w->lstDmy.items.clear();
        enter();
        for (const FlagStep &s : row.steps) {
            if (s.one)
                stepOne();
            else
                moveTo(s.pos);
            if (s.flag == 'S')
                w->ButtonSflgClick();
            else
                w->ButtonEflgClick();
        }
        EXPECT_EQ(w->trackBar->SelStart(), row.selStart);
        EXPECT_EQ(w->trackBar->SelEnd(), row.selEnd);
        EXPECT_EQ(w->startFlagAtStepOne, row.atStepOne);
        EXPECT_EQ(w->cmdPlay->isEnabled(), row.play);
        EXPECT_EQ(w->cmdPrev->isEnabled(), row.prev);
        EXPECT_EQ(w->cmdSflg->isEnabled(), row.sflg);
        EXPECT_EQ(w->cmdEflg->isEnabled(), row.eflg);
    }
}

TEST_F(LessonMode, PositionDecidesPlayAndBackToStart)
{
    enter();
    moveTo(64);
    w->ButtonSflgClick();
    moveTo(128);
    w->ButtonEflgClick();
    struct Row {
        int pos;
        bool play, prev, sflg, eflg;
    } rows[] = {
        {32, false, true, true, true},   // before the passage
        {64, true, false, true, true},   // at the start flag
        {100, true, true, true, true},
        {128, true, true, true, true},   // at the end flag
        {129, false, true, true, true},  // after it
        {250, false, true, false, true}, // too close to the end for a start flag
        {10, false, true, true, false},  // too close to the top for an end flag
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.pos);
        moveTo(r.pos);
        EXPECT_EQ(w->cmdPlay->isEnabled(), r.play);
        EXPECT_EQ(w->cmdPrev->isEnabled(), r.prev);
        EXPECT_EQ(w->cmdSflg->isEnabled(), r.sflg);
        EXPECT_EQ(w->cmdEflg->isEnabled(), r.eflg);
        EXPECT_EQ(w->playerState, Lesson);
    }
    w->ButtonPrevClick();
    EXPECT_EQ(w->trackBar->Position(), 64);
    EXPECT_EQ(dev.Position(), 64);
    EXPECT_EQ(dev.EndPosition(), 128);
    EXPECT_FALSE(w->cmdPrev->isEnabled());
    EXPECT_EQ(info(), kLessonText);
}

TEST_F(LessonMode, StartFlagAtStepOneComesBackAsStepOne)
{
    enter();
    stepOne();
    w->ButtonSflgClick();
    moveTo(80);
    EXPECT_TRUE(w->cmdPrev->isEnabled());
    w->FormKeyDown(w, Qt::Key_Backspace, {});
    EXPECT_EQ(w->trackBar->Position(), 0);
    EXPECT_EQ(step(), QStringLiteral("1"));
    EXPECT_TRUE(w->cmdPlay->isEnabled());
    EXPECT_FALSE(w->cmdPrev->isEnabled());
    // Step 0 lies before the flag: no play, but back to the flag.
    w->FormKeyDown(w, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(step(), QStringLiteral("0"));
    EXPECT_FALSE(w->cmdPlay->isEnabled());
    EXPECT_TRUE(w->cmdPrev->isEnabled());
}

TEST_F(LessonMode, PassageLoopsUntilEscAndEscAtTheEndFlagIsIgnored)
{
    enter();
    moveTo(32);
    w->ButtonSflgClick();
    moveTo(96);
    w->ButtonEflgClick();
    w->ButtonPrevClick();

    w->ButtonPlayClick();
    const Panel looping{Lesson, false, false, true, true, true, false, 32, true};
    EXPECT_EQ(panel(), looping);
    EXPECT_EQ(info(), kLessonText);
    EXPECT_TRUE(dev.lastPlayNotify);
    EXPECT_FALSE(w->cmdSflg->isEnabled());
    EXPECT_FALSE(w->cmdLesson->isEnabled());
    EXPECT_FALSE(w->mnuSet->isEnabled());

    for (int pass = 0; pass < 3; ++pass) {
        SCOPED_TRACE(pass);
        playOn(63); // one step before the end flag: stop and back-to-start rest
        EXPECT_FALSE(w->cmdStop->isEnabled());
        EXPECT_FALSE(w->cmdPrev->isEnabled());
        dev.advance(1);
        ASSERT_EQ(dev.Position(), 96);
        w->FormKeyDown(w, Qt::Key_Escape, {}); // stop is off: nothing
        w->ButtonStopClick();                  // and at the end flag stop is ignored
        EXPECT_TRUE(w->playing);
        dev.deliverNotifications(); // the device's word restarts the passage
        EXPECT_EQ(dev.Position(), 32);
        EXPECT_EQ(dev.Mode(), DeviceMode::Playing);
        EXPECT_EQ(dev.EndPosition(), 96);
        EXPECT_TRUE(dev.lastPlayNotify);
        tick();
        EXPECT_EQ(panel(), looping);
    }

    playOn(10);
    w->FormKeyDown(w, Qt::Key_Escape, {});
    EXPECT_EQ(panel(), (Panel{Lesson, false, true, false, false, true, true, 42, false}));
    EXPECT_EQ(info(), kLessonText);
    EXPECT_TRUE(locked()) << "the list stays locked after a lesson play";
    EXPECT_FALSE(w->cmdOpen->isEnabled());
    EXPECT_TRUE(w->mnuSet->isEnabled());
    EXPECT_TRUE(w->cmdLesson->isEnabled());
    EXPECT_TRUE(w->cmdSflg->isEnabled());
    EXPECT_TRUE(w->cmdEflg->isEnabled());
    // A word of the stopped play that comes late starts nothing.
    dev.deliverNotifications();
    EXPECT_EQ(dev.Mode(), DeviceMode::Stopped);
    // Enter goes on from the stop position up to the end flag.
    w->FormKeyDown(w, Qt::Key_Return, {});
    EXPECT_EQ(dev.Mode(), DeviceMode::Playing);
    dev.finish();
    EXPECT_EQ(dev.Position(), 96);
}

TEST_F(LessonMode, LateWordOfAStoppedPlayStartsNothingAtTheEndFlag)
{
    enter(); // the passage ends with the song
    w->ButtonPlayClick();
    playOn(20);
    w->ButtonStopClick();
    w->FormKeyDown(w, Qt::Key_End, {}); // the position goes to the end flag
    ASSERT_EQ(dev.Position(), 256);
    dev.deliverNotifications();
    EXPECT_EQ(dev.Mode(), DeviceMode::Stopped);
    EXPECT_EQ(panel(), (Panel{Lesson, false, true, false, false, true, true, 256, false}));
}

TEST_F(LessonMode, TimerRestartsThePassageWhenTheDevicesWordGoesAstray)
{
    enter();
    moveTo(64);
    w->ButtonEflgClick();
    w->ButtonPrevClick();
    w->ButtonPlayClick();
    dev.finish();
    ASSERT_EQ(dev.Position(), 64);
    tick(); // no notification delivered
    EXPECT_EQ(dev.Position(), 0);
    EXPECT_EQ(dev.Mode(), DeviceMode::Playing);
    EXPECT_TRUE(w->cmdStop->isEnabled());
    // The word that follows finds the passage running and does nothing.
    const int plays = int(dev.calls.filter(QStringLiteral("Play")).size());
    dev.deliverNotifications();
    EXPECT_EQ(int(dev.calls.filter(QStringLiteral("Play")).size()), plays);
}

TEST_F(LessonMode, BackToStartWhilePlayingRestartsAtTheStartFlag)
{
    enter();
    moveTo(16);
    w->ButtonSflgClick();
    moveTo(80);
    w->ButtonEflgClick();
    w->ButtonPrevClick();
    w->ButtonPlayClick();
    playOn(20);
    w->FormKeyDown(w, Qt::Key_Backspace, {});
    dev.deliverNotifications(); // the seek's word while the restart waits
    lag();
    EXPECT_EQ(dev.Mode(), DeviceMode::Playing);
    EXPECT_EQ(dev.Position(), 16);
    EXPECT_EQ(dev.EndPosition(), 80);
    reachEndFlag();
    EXPECT_EQ(dev.Position(), 16) << "the restarted pass still loops";
}

TEST_F(LessonMode, WithdrawnPermissionLeavesLessonModeAndReloads)
{
    enter();
    moveTo(48);
    w->ButtonSflgClick();
    QPushButton ok;
    // What the options' OK does when the permission is unchecked.
    w->frmOption->chkOnLsn->setChecked(false);
    w->mnuLsnItemClick(&ok);
    w->lessonMode = false;
    w->cmdLesson->setEnabled(false);
    EXPECT_FALSE(w->cmdLesson->isDown());
    EXPECT_FALSE(locked());
    EXPECT_EQ(panel(), (Panel{Ready, false, true, false, false, false, true, 0, false}));
    EXPECT_EQ(opens(), 2);
    // A second withdrawal never enters the mode.
    w->mnuLsnItemClick(&ok);
    EXPECT_FALSE(w->lessonMode);
    EXPECT_FALSE(w->cmdLesson->menuItem()->isChecked());
}

TEST_F(LessonMode, FailedSongCanBeEnteredAndLeftWithoutTouchingTheDevice)
{
    setList({{"a.mid"}});
    dev.failOpen(songPath("a.mid"), 275, "ファイルが見つかりません。");
    w->LoadSelectedSong();
    ASSERT_FALSE(w->songLoaded);
    const int boxes = int(app.dialogs.boxes.size());
    w->mnuLsnItemClick();
    EXPECT_FALSE(w->cmdSflg->isEnabled());
    EXPECT_FALSE(w->cmdPlay->isEnabled());
    w->ButtonSflgClick(); // nothing to mark
    EXPECT_FALSE(w->cmdPlay->isEnabled());
    dev.failOpen(songPath("a.mid"), 275, "ファイルが見つかりません。");
    w->mnuLsnItemClick();
    EXPECT_EQ(int(app.dialogs.boxes.size()), boxes + 1) << "the reload reports the failure once";
    EXPECT_EQ(w->playerState, LoadError);
}

TEST_F(LessonMode, ClosingInLessonModeKeepsQsModeOn)
{
    enter();
    w->mnuLsnItemClick();
    setQs(true);
    w->mnuLsnItemClick();
    ASSERT_FALSE(w->cmdQs->isDown());
    w->close();
    EXPECT_TRUE(app.readSettings().contains(QStringLiteral("[QS_Mode]\nSet=1\n")));
}

// The real engine: a passage whose notes, pedals, bend and controllers run
// over the end flag loops three times into the recording output.
TEST(LessonShow, PassageLoopsCleanlyThroughTheEngine)
{
    EngineShow show(engine::Driver::Mode::Manual);
    const QString song = show.app.path(QStringLiteral("lesson.mid"));
    {
        // 120 bpm, PPQN 480: a step is 120 ticks. Start flag at step 20
        // (tick 2400), end flag at step 40 (tick 4800).
        smf::SmfWriter wr(0, 480);
        smf::Track &t = wr.addTrack();
        t.bpm(120).programChange(0, 5).controlChange(0, 7, 90);
        for (int beat = 0; beat < 16; ++beat) {
            const int tick = beat * 480;
            t.at(tick);
            if (tick == 1920) // set before the start flag: chased at every start
                t.controlChange(0, 7, 70).controlChange(0, 1, 20)
                    .pitchBend(0, 9000).controlChange(0, 64, 127);
            if (tick == 3360) // inside the passage: must not leak into its start
                t.controlChange(0, 66, 127).pitchBend(0, 12000).controlChange(0, 7, 40)
                    .controlChange(0, 1, 100).controlChange(0, 11, 50).controlChange(0, 10, 0)
                    .noteOn(0, 64, 90); // held over the end flag
            if (tick == 5760)
                t.noteOff(0, 64);
            t.noteOn(0, 62, 100);
            if (tick == 4800) // after the end flag: never sent
                t.at(4850).controlChange(0, 7, 10).noteOn(0, 72, 100).at(4900).noteOff(0, 72);
            t.at(tick + 479).noteOff(0, 62);
        }
        ASSERT_TRUE(wr.writeFile(song.toStdString()));
    }
    show.app.writeSettings(QStringLiteral("[Lesson]\r\nSet=1\r\n"));
    TfrmMain *m = show.open({QStringLiteral("0 ") + song});
    ASSERT_TRUE(m->songLoaded);
    m->mnuLsnItemClick();
    m->trackBar->setPosition(20);
    m->ButtonSflgClick();
    m->trackBar->setPosition(40);
    m->ButtonEflgClick();
    m->ButtonPrevClick();
    show.output->take();

    const auto isStart = [](const engine::RecordingOutput::Message &msg) {
        return msg.bytes.size() == 2 && msg.bytes[0] == 0xC0 && msg.bytes[1] == 5; // chased only
    };
    const auto starts = [&] {
        int n = 0;
        for (const auto &msg : show.output->messages())
            n += isStart(msg);
        return n;
    };
    m->ButtonPlayClick();
    for (int i = 0; i < 400 && starts() < 4; ++i) {
        show.output->advanceBy(50'000);
        QCoreApplication::processEvents();
        m->PlayTimerTimer();
    }
    ASSERT_EQ(starts(), 4) << "three passes and the start of a fourth";
    show.output->advanceBy(200'000);
    QCoreApplication::processEvents();
    m->ButtonStopClick();
    show.output->advanceBy(1'000);

    // Replays what a synthesizer would hold: sounding notes and the state of
    // channel 0, snapshot at the first note of every pass.
    struct State {
        int program = 0, vol = 100, expr = 127, mod = 0, sustain = 0, sostenuto = 0, bend = 8192, pan = 64;
        bool operator==(const State &) const = default;
    } s;
    std::map<int, int> sounding;
    std::vector<State> atPassStart;
    std::vector<int> soundingAtWrap;
    int key62PerPass = 0;
    std::vector<int> key62;
    bool awaitingFirstNote = false;
    bool firstStart = true;
    for (const auto &msg : show.output->messages()) {
        const auto &b = msg.bytes;
        if (isStart(msg)) {
            int held = 0;
            for (const auto &[key, n] : sounding)
                held += n;
            soundingAtWrap.push_back(held);
            if (!std::exchange(firstStart, false))
                key62.push_back(key62PerPass);
            key62PerPass = 0;
            awaitingFirstNote = true;
        }
        const int kind = b[0] & 0xF0;
        ASSERT_EQ(b[0] & 0x0F, 0) << "only channel 0 plays";
        if (kind == 0xC0)
            s.program = b[1];
        if (kind == 0xE0)
            s.bend = b[1] | (b[2] << 7);
        if (kind == 0xB0) {
            switch (b[1]) {
            case 121: s.expr = 127, s.mod = 0, s.sustain = 0, s.sostenuto = 0, s.bend = 8192; break;
            case 7: s.vol = b[2]; break;
            case 11: s.expr = b[2]; break;
            case 10: s.pan = b[2]; break;
            case 1: s.mod = b[2]; break;
            case 64: s.sustain = b[2]; break;
            case 66: s.sostenuto = b[2]; break;
            default: break;
            }
            EXPECT_FALSE(b[1] == 7 && b[2] == 10) << "a controller after the end flag was sent";
        }
        if (kind == 0x90 && b[2] > 0) {
            EXPECT_NE(b[1], 72) << "a note after the end flag was sent";
            ++sounding[b[1]];
            if (b[1] == 62) {
                ++key62PerPass;
                if (awaitingFirstNote) {
                    atPassStart.push_back(s);
                    awaitingFirstNote = false;
                }
            }
        } else if (kind == 0x80 || (kind == 0x90 && b[2] == 0)) {
            if (sounding[b[1]] > 0)
                --sounding[b[1]];
        }
    }
    // Expression and pan were set only inside the passage: their defaults
    // come back at every start.
    const State chased{5, 70, 127, 20, 127, 0, 9000, 64};
    ASSERT_EQ(atPassStart.size(), 4u);
    for (const State &st : atPassStart)
        EXPECT_TRUE(st == chased) << "vol " << st.vol << " expr " << st.expr << " mod " << st.mod
                                  << " sostenuto " << st.sostenuto << " bend " << st.bend << " pan " << st.pan;
    EXPECT_EQ(soundingAtWrap, (std::vector<int>{0, 0, 0, 0})) << "a note hung over the wrap";
    // Quarter notes at ticks 2400..4320: five in every whole pass.
    EXPECT_EQ(key62, (std::vector<int>{5, 5, 5}));
    int held = 0;
    for (const auto &[key, n] : sounding)
        held += n;
    EXPECT_EQ(held, 0) << "a note hangs after Esc";
    EXPECT_EQ(s.sustain, 0);
    EXPECT_EQ(s.sostenuto, 0);
}

} // namespace
} // namespace kazoon::test
