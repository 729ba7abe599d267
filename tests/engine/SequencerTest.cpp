#include "EngineTestSupport.h"

#include <algorithm>
#include <random>

namespace kazoon::engine::test {
namespace {

using smf::SmfWriter;

// Quarter notes on channel 0 for `bars` bars of 4/4 at 120 bpm: 16 steps a bar, 125 ms a step.
std::string quarterNotes(int ppqn, int bars, const std::string &name)
{
    SmfWriter w(1, ppqn);
    w.addTrack().tempo(500000);
    auto &t = w.addTrack();
    for (int i = 0; i < bars * 4; ++i)
        t.note(0, 60 + i % 12, 100, static_cast<std::uint32_t>(ppqn / 2)).delta(static_cast<std::uint32_t>(ppqn - ppqn / 2));
    return writeSong(w, name);
}

// A song whose channels change state all along: programs with banks,
// controllers, an RPN, bend, pressure and SysEx between notes.
std::string busySong()
{
    SmfWriter w(1, 480);
    w.addTrack().tempo(500000).sysEx({0x7E, 0x7F, 0x09, 0x01, 0xF7});
    auto &a = w.addTrack();
    a.controlChange(0, 0, 8).programChange(0, 24).controlChange(0, 0, 0); // bank 8 chose program 24
    a.controlChange(0, 101, 0).controlChange(0, 100, 0).controlChange(0, 6, 12); // bend range 12
    a.controlChange(0, 7, 90).controlChange(0, 64, 127);
    for (int bar = 0; bar < 8; ++bar) {
        a.controlChange(0, 7, 60 + bar).pitchBend(0, 8192 + 100 * bar).channelPressure(0, bar);
        a.noteOn(0, 60, 100).delta(960).noteOn(0, 64, 100).delta(960).noteOff(0, 60).noteOff(0, 64);
    }
    a.controlChange(0, 64, 0);
    auto &b = w.addTrack();
    b.programChange(9, 0);
    for (int beat = 0; beat < 32; ++beat)
        b.note(9, 36, 110, 240).delta(240);
    return writeSong(w, "busy.mid");
}

TEST(Sequencer, PlaysToTheEndWherePositionIsLengthForEveryPpqn)
{
    for (int ppqn : {96, 480, 960, 90}) {
        Rig rig;
        auto &seq = rig.sequencer;
        seq.Open(quarterNotes(ppqn, 2, "quarters.mid"));
        EXPECT_EQ(seq.Length(), 32);
        EXPECT_EQ(seq.Position(), 0);
        seq.SetNotifyNext(false);
        seq.Play();
        EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
        std::int64_t last = 0;
        for (int tick = 0; tick < 100 && seq.Mode() == DeviceMode::Playing; ++tick) {
            rig.advanceMs(50);
            EXPECT_GE(seq.Position(), last);
            last = seq.Position();
        }
        EXPECT_EQ(seq.Mode(), DeviceMode::Stopped) << ppqn;
        EXPECT_EQ(seq.Position(), seq.Length()) << ppqn;
        EXPECT_EQ(noteOns(rig.output->messages()).size(), 8u);
        rig.deliver();
        EXPECT_EQ(rig.notified, 0);
    }
}

TEST(Sequencer, FollowsTempoChangesAndReportsSmpteLength)
{
    SmfWriter w(1, 480);
    w.addTrack().tempo(500000).at(1920).tempo(1000000).at(3840).endOfTrack();
    w.addTrack().noteOn(0, 60, 100).at(1920).noteOn(0, 62, 100).at(2400).noteOn(0, 64, 100).at(3840).noteOff(0, 60);
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(writeSong(w, "tempo.mid"));
    seq.SetTimeFormat(TimeFormat::Smpte24);
    const std::int64_t length = seq.Length();
    EXPECT_EQ(length >> 8 & 0xFF, 0);  // minutes
    EXPECT_EQ(length >> 16 & 0xFF, 6); // seconds: a bar of 2 s and one of 4 s
    seq.SetTimeFormat(TimeFormat::Steps);
    EXPECT_EQ(seq.Length(), 32);

    const std::int64_t start = rig.output->nowUs();
    seq.Play();
    rig.advanceMs(3500);
    EXPECT_EQ(seq.Position(), 16 + 6); // 1.5 s into the slow bar: 6 whole steps of 250 ms
    rig.advanceMs(3000);
    std::vector<std::int64_t> times;
    for (const auto &m : rig.output->messages())
        if ((m.bytes[0] & 0xF0) == 0x90)
            times.push_back(m.dueUs - start);
    EXPECT_EQ(times, (std::vector<std::int64_t>{0, 2'000'000, 3'000'000}));
    EXPECT_EQ(seq.Position(), 32);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
}

TEST(Sequencer, EndPositionIsOneShotAndStaysReadable)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(quarterNotes(480, 2, "end.mid"));
    seq.SetEndPosition(8);
    seq.Play();
    rig.advanceMs(2000);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_EQ(seq.Position(), 8);
    EXPECT_EQ(seq.EndPosition(), 8);
    EXPECT_EQ(noteOns(rig.output->messages()).size(), 2u);
    rig.deliver();
    EXPECT_EQ(rig.notified, 1);
    EXPECT_TRUE(SoundState().silent() && [&] {
        SoundState s;
        s.apply(rig.output->messages());
        return s.silent();
    }());

    seq.Play(); // no end position any more: on to the end
    rig.advanceMs(5000);
    EXPECT_EQ(seq.Position(), 32);
    EXPECT_EQ(seq.EndPosition(), 8);
}

// The standby run of a song that starts with notes: the channels are set up,
// nothing is heard, and the start from the parked step sounds as usual.
TEST(Sequencer, MutedPlaySetsUpTheChannelsWithoutANoteAndTheNextStartSounds)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(busySong()); // notes from the first tick, two a bar, drums in eighths
    rig.output->take();
    seq.SetNotifyNext(false);
    seq.SetEndPosition(15);
    seq.SetMuteNotesNext(true);
    seq.Play();
    rig.advanceMs(3000);
    ASSERT_EQ(seq.Position(), 15);
    const Messages standby = rig.output->take();
    EXPECT_TRUE(noteOns(standby).empty());
    const auto sent = [&standby](std::vector<std::uint8_t> m) {
        return std::any_of(standby.begin(), standby.end(), [&m](const auto &s) { return s.bytes == m; });
    };
    EXPECT_TRUE(sent(bytes({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7})));
    EXPECT_TRUE(sent(bytes({0xC0, 24})));
    EXPECT_TRUE(sent(bytes({0xB0, 6, 12})));
    EXPECT_TRUE(sent(bytes({0xB0, 64, 127})));
    EXPECT_TRUE(sent(bytes({0xC9, 0})));
    EXPECT_TRUE(sent(bytes({0xB0, 7, 60})));
    SoundState state;
    state.apply(standby);
    EXPECT_TRUE(state.silent());

    seq.SetNotifyNext(true);
    seq.Resume(); // stopped at the end position: starts from there
    rig.advanceMs(2000);
    const Messages start = rig.output->take();
    EXPECT_GE(noteOns(start).size(), 3u);
    seq.Stop();
    state.apply(start);
    state.apply(rig.output->take());
    EXPECT_TRUE(state.silent());

    // The setting is for one play: the next sounds, and Resume or Open drop it.
    seq.SeekToStart();
    seq.Play();
    rig.advanceMs(500);
    EXPECT_FALSE(noteOns(rig.output->take()).empty());
    seq.Stop();
    seq.SetMuteNotesNext(true);
    seq.Resume();
    rig.advanceMs(500);
    EXPECT_FALSE(noteOns(rig.output->take()).empty());
    seq.SetMuteNotesNext(true);
    seq.Open(busySong());
    seq.Play();
    rig.advanceMs(500);
    EXPECT_FALSE(noteOns(rig.output->take()).empty());
}

TEST(Sequencer, StopKeepsThePositionAndPlayContinuesFromIt)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(quarterNotes(480, 2, "stop.mid"));
    seq.Play();
    rig.advanceMs(1100); // notes at 0, 0.5 and 1.0 s have sounded
    seq.Stop();
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_EQ(seq.Position(), 8);
    rig.advanceMs(5000);
    EXPECT_EQ(seq.Position(), 8);
    auto before = rig.output->take();
    EXPECT_EQ(noteOns(before).size(), 3u);

    seq.Play();
    rig.advanceMs(10000);
    const auto after = rig.output->take();
    // The note at 1.0 s was cut by the stop and does not sound again; the rest follow.
    EXPECT_EQ(noteOns(after).size(), 5u);
    EXPECT_EQ(seq.Position(), 32);
    SoundState s;
    s.apply(before);
    s.apply(after);
    EXPECT_TRUE(s.silent());
}

TEST(Sequencer, PausePausesAndResumesAndResumeStartsAStoppedSong)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(quarterNotes(480, 2, "pause.mid"));
    seq.Pause(); // stopped: nothing happens
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    seq.SetNotifyNext(false);
    seq.Play();
    rig.advanceMs(750);
    seq.Pause();
    EXPECT_EQ(seq.Mode(), DeviceMode::Paused);
    EXPECT_EQ(seq.Position(), 6);
    rig.advanceMs(1000);
    SoundState s;
    s.apply(rig.output->messages());
    EXPECT_TRUE(s.silent());
    seq.Pause(); // a second pause resumes
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
    rig.advanceMs(250);
    EXPECT_EQ(seq.Position(), 8);
    seq.Pause();
    seq.Resume();
    rig.advanceMs(10000);
    EXPECT_EQ(seq.Position(), 32);
    rig.deliver();
    EXPECT_EQ(rig.notified, 2); // the notifying resume of the pause, then its end

    seq.SeekToStart();
    seq.Resume(); // stopped: falls back to play
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
    EXPECT_EQ(seq.Error(), 0);
}

TEST(Sequencer, StartingMidSongSendsTheChasedStateInFileOrder)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(busySong());
    rig.output->take();
    seq.Seek(16 * 3 + 8); // bar 4, half way
    seq.Play();
    const auto messages = rig.output->take();

    // Drop the reset of the channels the play has not touched yet: none, so
    // the chase is all there is before the first note of the play.
    std::vector<std::vector<std::uint8_t>> chase;
    for (const auto &m : messages) {
        if ((m.bytes[0] & 0xF0) == 0x90)
            break;
        chase.push_back(m.bytes);
    }
    const std::vector<std::vector<std::uint8_t>> expected{
        bytes({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}),
        bytes({0xB0, 0, 8}), bytes({0xC0, 24}), bytes({0xB0, 0, 0}),
        bytes({0xB0, 101, 0}), bytes({0xB0, 100, 0}), bytes({0xB0, 6, 12}),
        bytes({0xB0, 64, 127}),
        bytes({0xC9, 0}),
        bytes({0xB0, 7, 63}), bytes({0xE0, (8192 + 300) & 0x7F, (8192 + 300) >> 7}), bytes({0xD0, 3}),
    };
    EXPECT_EQ(chase, expected);
    for (const auto &m : messages) {
        EXPECT_FALSE((m.bytes[0] & 0xF0) == 0x80) << "no note-off for notes that never sounded";
    }
}

TEST(Sequencer, NothingHangsWhateverTheOrderOfCommands)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(busySong());
    std::mt19937 random(20240);
    SoundState state;
    int notifying = 0; // commands that each owe exactly one completion
    for (int i = 0; i < 400; ++i) {
        switch (random() % 8) {
        case 0: seq.Play(); ++notifying; break;
        case 1: seq.Stop(); break;
        case 2:
            notifying += seq.Mode() == DeviceMode::Paused;
            seq.Pause();
            break;
        case 3: seq.Resume(); ++notifying; break;
        case 4: seq.Seek(static_cast<std::int64_t>(random() % 130)); break;
        case 5: seq.SetEndPosition(static_cast<std::int64_t>(random() % 130)); break;
        case 6: seq.SeekToStart(); break;
        case 7: seq.SetMuteNotesNext(random() % 2 != 0); break;
        }
        rig.advanceMs(random() % 700);
        state.apply(rig.output->take());
        if (seq.Mode() != DeviceMode::Playing) {
            EXPECT_TRUE(state.silent()) << "after command " << i;
        }
        ASSERT_LE(seq.Position(), seq.Length());
        rig.deliver();
    }
    seq.Stop();
    rig.deliver();
    EXPECT_EQ(rig.notified, notifying);

    seq.Play();
    rig.advanceMs(1234);
    seq.Close();
    state.apply(rig.output->take());
    EXPECT_TRUE(state.silent());
    rig.deliver();
    EXPECT_EQ(rig.notified, notifying);
}

// A sostenuto pedal keeps its notes through note-offs, sustain off and all
// notes off alike: an organ would ring on after the stop.
TEST(Sequencer, EveryWayOfEndingAPlayLiftsTheSostenutoPedal)
{
    SmfWriter w(0, 480);
    w.addTrack().programChange(0, 19).noteOn(0, 60, 100).controlChange(0, 66, 127).delta(480 * 16)
        .noteOff(0, 60).controlChange(0, 66, 0);
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(writeSong(w, "sostenuto.mid"));
    const std::vector<std::function<void()>> endings{
        [&] { seq.Stop(); }, [&] { seq.Pause(); }, [&] { seq.Seek(2); }, [&] { seq.Close(); }};
    for (std::size_t i = 0; i < endings.size(); ++i) {
        seq.SeekToStart();
        seq.Play();
        rig.advanceMs(300);
        endings[i]();
        rig.advanceMs(10);
        SoundState s;
        s.apply(rig.output->take());
        EXPECT_TRUE(s.silent()) << "ending " << i;
    }
    seq.Open(writeSong(w, "sostenuto.mid"));
    seq.SetEndPosition(4);
    seq.Play();
    rig.advanceMs(1000);
    SoundState s;
    s.apply(rig.output->take());
    EXPECT_TRUE(s.silent()) << "at the end position";
}

TEST(Sequencer, OpenPutsEveryChannelIntoAKnownState)
{
    Rig rig;
    rig.sequencer.Open(quarterNotes(480, 1, "known.mid"));
    const auto messages = rig.output->take();
    for (int ch = 0; ch < 16; ++ch) {
        auto has = [&](std::vector<std::uint8_t> m) {
            return std::any_of(messages.begin(), messages.end(), [&](const auto &x) { return x.bytes == m; });
        };
        const auto cc = static_cast<std::uint8_t>(0xB0 | ch);
        EXPECT_TRUE(has({cc, 123, 0}) && has({cc, 64, 0}) && has({cc, 121, 0}));
        EXPECT_TRUE(has({static_cast<std::uint8_t>(0xE0 | ch), 0, 0x40}));
        EXPECT_TRUE(has({static_cast<std::uint8_t>(0xC0 | ch), 0}));
    }
    for (const auto &m : messages) {
        EXPECT_NE(m.bytes[0], 0xF0) << "no system reset of our own";
    }
}

TEST(Sequencer, ReplayFromTheTopForgetsWhatAnEarlierPlayChanged)
{
    SmfWriter w(0, 480);
    w.addTrack().note(0, 60, 100, 480).programChange(0, 40).pitchBend(0, 0).note(0, 62, 100, 480);
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(writeSong(w, "replay.mid"));
    seq.Play();
    rig.advanceMs(5000);
    rig.output->take();
    seq.SeekToStart();
    seq.Play();
    const auto messages = rig.output->take();
    const auto firstNote = std::find_if(messages.begin(), messages.end(), [](const auto &m) { return m.bytes[0] == 0x90; });
    ASSERT_NE(firstNote, messages.end());
    auto sent = [&](std::vector<std::uint8_t> m) {
        return std::any_of(messages.begin(), firstNote, [&](const auto &x) { return x.bytes == m; });
    };
    EXPECT_TRUE(sent({0xC0, 0}));
    EXPECT_TRUE(sent({0xE0, 0, 0x40}));
}

TEST(Sequencer, OneNotificationPerNotifiedCommandAndNoneAfterClose)
{
    Rig rig;
    auto &seq = rig.sequencer;
    const std::string song = quarterNotes(480, 1, "notify.mid");
    seq.Open(song);

    seq.Play(); // notifies by default
    rig.advanceMs(300);
    seq.Stop(); // aborted
    rig.advanceMs(5000);
    rig.deliver();
    EXPECT_EQ(rig.notified, 1);

    seq.Play();
    seq.Play(); // the first is superseded, the second ends
    rig.advanceMs(5000);
    rig.deliver();
    EXPECT_EQ(rig.notified, 3);

    seq.SeekToStart();
    seq.SetNotifyNext(false);
    seq.Play();
    rig.advanceMs(5000);
    rig.deliver();
    EXPECT_EQ(rig.notified, 3);

    seq.SeekToStart();
    seq.Play();
    rig.advanceMs(5000); // ended, but the notification is not delivered yet
    seq.Close();
    rig.deliver();
    EXPECT_EQ(rig.notified, 3);

    seq.Open(song);
    seq.Play();
    rig.advanceMs(100);
    seq.Open(song); // reopened while playing
    rig.advanceMs(5000);
    rig.deliver();
    EXPECT_EQ(rig.notified, 3);

    seq.Play();
    seq.Pause(); // superseded by the pause
    seq.Resume();
    rig.advanceMs(5000);
    rig.deliver();
    EXPECT_EQ(rig.notified, 5);
}

TEST(Sequencer, PlayAtTheEndEndsAtOnce)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(quarterNotes(480, 1, "atend.mid"));
    seq.Seek(seq.Length());
    seq.Play();
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_EQ(seq.Position(), seq.Length());
    rig.deliver();
    EXPECT_EQ(rig.notified, 1);
    seq.Seek(1000);
    EXPECT_EQ(seq.Position(), seq.Length());
    seq.Seek(-5);
    EXPECT_EQ(seq.Position(), 0);
}

TEST(Sequencer, CommandsWithoutASongThrowAndFailedOpenLeavesItClosed)
{
    Rig rig;
    auto &seq = rig.sequencer;
    EXPECT_EQ(seq.Mode(), DeviceMode::NotOpen);
    EXPECT_EQ(seq.Position(), 0);
    for (auto command : std::vector<std::function<void()>>{
             [&] { seq.Play(); }, [&] { seq.Stop(); }, [&] { seq.Pause(); }, [&] { seq.Resume(); },
             [&] { seq.Seek(3); }, [&] { seq.SeekToStart(); }, [&] { seq.Length(); }}) {
        try {
            command();
            ADD_FAILURE();
        } catch (const DeviceError &e) {
            EXPECT_STREQ(e.what(), kNoDeviceText);
        }
    }
    seq.Open(quarterNotes(480, 1, "fine.mid"));
    try {
        seq.Open(::testing::TempDir() + "missing.mid");
        ADD_FAILURE();
    } catch (const DeviceError &e) {
        EXPECT_STREQ(e.what(), "MIDIファイルを開けません。ファイルが見つかりません。");
        EXPECT_EQ(seq.Error(), device_error::FileNotFound);
        EXPECT_EQ(seq.ErrorText(), e.what());
    }
    EXPECT_EQ(seq.Mode(), DeviceMode::NotOpen);
    seq.Close();
    EXPECT_EQ(seq.Error(), 0);
    EXPECT_EQ(seq.ErrorText(), "");
}

TEST(Sequencer, LostPortEndsThePlayWithError337)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(quarterNotes(480, 2, "lost.mid"));
    seq.Play();
    rig.advanceMs(600);
    rig.output->fail(true);
    rig.advanceMs(600);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_LT(seq.Position(), seq.Length());
    rig.deliver();
    EXPECT_EQ(rig.notified, 1);
    seq.Stop();
    EXPECT_EQ(seq.Error(), device_error::PortInUse);
    EXPECT_NE(seq.ErrorText().find("MIDI出力ポートを使用できません。"), std::string::npos);
    seq.Play(); // still gone
    EXPECT_EQ(seq.Error(), device_error::PortInUse);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    rig.output->fail(false);
    seq.Play(); // plugged back in
    EXPECT_EQ(seq.Error(), 0);
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
}

} // namespace
} // namespace kazoon::engine::test
