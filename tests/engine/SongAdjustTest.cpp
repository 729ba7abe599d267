#include "EngineTestSupport.h"

namespace kazoon::engine::test {
namespace {

using smf::SmfWriter;

// The channel messages among the messages, without the resets around a play.
Messages channelMessages(const Messages &all, int kind)
{
    Messages out;
    for (const auto &m : all)
        if ((m.bytes[0] & 0xF0) == kind)
            out.push_back(m);
    return out;
}

std::vector<std::vector<std::uint8_t>> bytesOf(const Messages &messages)
{
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto &m : messages)
        out.push_back(m.bytes);
    return out;
}

std::vector<int> volumes(const Messages &messages, int channel)
{
    std::vector<int> out;
    for (const auto &m : messages)
        if (m.bytes[0] == (0xB0 | channel) && m.bytes[1] == 7)
            out.push_back(m.bytes[2]);
    return out;
}

TEST(SongAdjust, TransposesEveryMessageWithAPitchButTheDrums)
{
    SmfWriter w(1, 480);
    w.addTrack().tempo(500000);
    w.addTrack()
        .noteOn(0, 60, 100).raw({0xA0, 60, 30}).controlChange(0, 1, 60).programChange(0, 5)
        .noteOn(9, 36, 100).raw({0xA9, 36, 20})
        .delta(240).noteOff(0, 60).noteOff(9, 36)
        .noteOn(1, 5, 90).noteOn(1, 126, 90).delta(240).noteOff(1, 5).noteOff(1, 126);
    const std::string path = writeSong(w, "pitches.mid");

    struct Case {
        int transpose;
        std::vector<std::vector<std::uint8_t>> notes; // note on/off and pressure, in order
    };
    const Case cases[] = {
        // 126 + 2 and 5 - 7 are no MIDI keys: those notes are left out, their releases too.
        {2, {bytes({0x90, 62, 100}), bytes({0xA0, 62, 30}), bytes({0x99, 36, 100}), bytes({0xA9, 36, 20}),
             bytes({0x80, 62, 0}), bytes({0x89, 36, 0}), bytes({0x91, 7, 90}), bytes({0x81, 7, 0})}},
        {-7, {bytes({0x90, 53, 100}), bytes({0xA0, 53, 30}), bytes({0x99, 36, 100}), bytes({0xA9, 36, 20}),
              bytes({0x80, 53, 0}), bytes({0x89, 36, 0}), bytes({0x91, 119, 90}), bytes({0x81, 119, 0})}},
        {0, {bytes({0x90, 60, 100}), bytes({0xA0, 60, 30}), bytes({0x99, 36, 100}), bytes({0xA9, 36, 20}),
             bytes({0x80, 60, 0}), bytes({0x89, 36, 0}), bytes({0x91, 5, 90}), bytes({0x91, 126, 90}),
             bytes({0x81, 5, 0}), bytes({0x81, 126, 0})}},
    };
    for (const Case &c : cases) {
        Rig rig;
        rig.sequencer.Open(path);
        rig.sequencer.SetAdjust({c.transpose, 100, 100});
        rig.output->take();
        rig.sequencer.Play();
        rig.advanceMs(2000);
        std::vector<std::vector<std::uint8_t>> notes;
        for (const auto &m : rig.output->messages()) {
            const int kind = m.bytes[0] & 0xF0;
            if (kind == 0x80 || kind == 0x90 || kind == 0xA0)
                notes.push_back(m.bytes);
            if (kind == 0xB0 && m.bytes[1] == 1) {
                EXPECT_EQ(m.bytes[2], 60);
            }
            if (m.bytes[0] == 0xC0) {
                EXPECT_EQ(m.bytes[1], 5);
            }
        }
        EXPECT_EQ(notes, c.notes) << c.transpose;
    }
}

// A note held while the key changes ends at its own pitch, with the pedal
// down or not; the next note is in the new key.
TEST(SongAdjust, KeyChangedUnderHeldNoteAndSustainLeavesNothingSounding)
{
    for (bool pedal : {false, true}) {
        SmfWriter w(1, 480);
        w.addTrack().tempo(500000);
        auto &t = w.addTrack();
        if (pedal)
            t.controlChange(0, 64, 127);
        t.noteOn(0, 60, 100).noteOn(0, 64, 100).delta(960).noteOff(0, 60).delta(480).noteOff(0, 64);
        t.noteOn(0, 60, 100).delta(480).noteOff(0, 60);
        if (pedal)
            t.controlChange(0, 64, 0);
        t.delta(480).noteOn(0, 67, 100).delta(480).noteOff(0, 67);
        Rig rig;
        rig.sequencer.Open(writeSong(w, "held.mid"));
        rig.sequencer.Play();
        rig.advanceMs(100);
        rig.sequencer.SetAdjust({3, 100, 100});
        rig.advanceMs(1000); // 60 is let go: at 60
        rig.sequencer.SetAdjust({-2, 100, 100});
        rig.advanceMs(5000);
        const Messages notes = channelMessages(rig.output->messages(), 0x80);
        std::vector<int> offs;
        for (const auto &m : notes)
            offs.push_back(m.bytes[1]);
        EXPECT_EQ(offs, (std::vector<int>{60, 64, 58, 65})) << pedal;
        EXPECT_EQ(noteOns(rig.output->messages()), (std::vector<int>{60, 64, 58, 65})) << pedal;
        SoundState sound;
        sound.apply(rig.output->messages());
        EXPECT_TRUE(sound.silent()) << pedal;
    }
}

// The same key struck again after a key change, before its first note ended:
// the old pitch is let go first, so the module never keeps one.
TEST(SongAdjust, NoteStruckAgainInAnotherKeyReleasesTheOldPitch)
{
    SmfWriter w(1, 480);
    w.addTrack().tempo(500000);
    w.addTrack().noteOn(0, 60, 100).delta(480).noteOn(0, 60, 100).delta(480).noteOff(0, 60).delta(480).noteOff(0, 60);
    Rig rig;
    rig.sequencer.Open(writeSong(w, "again.mid"));
    rig.sequencer.Play();
    rig.advanceMs(100);
    rig.sequencer.SetAdjust({5, 100, 100});
    rig.advanceMs(400); // the second strike, then stop while it sounds
    rig.sequencer.Stop();
    rig.advanceMs(10);
    SoundState sound;
    sound.apply(rig.output->messages());
    EXPECT_TRUE(sound.silent());
    EXPECT_EQ(noteOns(rig.output->messages()), (std::vector<int>{60, 65}));
}

// Quarter notes on channel 0 for `bars` bars at 120 bpm: 16 steps a bar, 125 ms a step.
std::string quarters(int bars, const std::string &name)
{
    SmfWriter w(1, 480);
    w.addTrack().tempo(500000);
    auto &t = w.addTrack();
    for (int i = 0; i < bars * 4; ++i)
        t.note(0, 60, 100, 240).delta(240);
    return writeSong(w, name);
}

TEST(SongAdjust, TempoScalesTimeWhileStepsAndTheEndStayInTheMusic)
{
    struct Case {
        int tempo;
        std::int64_t msToHalf; // 16 steps
        int smpteSeconds;      // of the length, at this tempo
    };
    for (const Case &c : {Case{200, 1000, 2}, Case{50, 4000, 8}, Case{100, 2000, 4}}) {
        Rig rig;
        auto &seq = rig.sequencer;
        seq.Open(quarters(2, "tempo.mid"));
        seq.SetAdjust({0, c.tempo, 100});
        EXPECT_EQ(seq.Length(), 32);
        seq.SetTimeFormat(TimeFormat::Smpte24);
        EXPECT_EQ(seq.Length() >> 16 & 0xFF, c.smpteSeconds) << c.tempo;
        seq.SetTimeFormat(TimeFormat::Steps);
        const std::int64_t start = rig.output->nowUs();
        seq.Play();
        rig.advanceMs(c.msToHalf);
        EXPECT_EQ(seq.Position(), 16) << c.tempo;
        rig.advanceMs(c.msToHalf * 2);
        EXPECT_EQ(seq.Mode(), DeviceMode::Stopped) << c.tempo;
        EXPECT_EQ(seq.Position(), 32) << c.tempo;
        const Messages ons = channelMessages(rig.output->messages(), 0x90);
        ASSERT_EQ(ons.size(), 8u);
        EXPECT_EQ(ons[4].dueUs - start, c.msToHalf * 1000) << c.tempo;
    }
}

// A tempo change under a play goes on from where the music is; the end
// position and a stop in between still fall on their steps.
TEST(SongAdjust, TempoChangedWhilePlayingKeepsPositionAndEndPosition)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(quarters(4, "retempo.mid"));
    seq.SetEndPosition(48);
    seq.Play();
    rig.advanceMs(1000);
    EXPECT_EQ(seq.Position(), 8);
    seq.SetAdjust({0, 50, 100});
    EXPECT_EQ(seq.Position(), 8);
    rig.advanceMs(2000); // 8 more steps at half speed
    EXPECT_EQ(seq.Position(), 16);
    seq.SetAdjust({0, 200, 100});
    rig.advanceMs(500); // 8 more at double speed
    EXPECT_EQ(seq.Position(), 24);
    seq.Stop();
    EXPECT_EQ(seq.Position(), 24);
    seq.Play(); // the end position was used up by the first play: on to the end
    rig.advanceMs(2000);
    EXPECT_EQ(seq.Position(), 56);
    rig.advanceMs(500);
    EXPECT_EQ(seq.Position(), 64);
    SoundState sound;
    sound.apply(rig.output->messages());
    EXPECT_TRUE(sound.silent());

    // The end position holds under a tempo change too.
    seq.Seek(0);
    seq.SetEndPosition(20);
    seq.Play();
    rig.advanceMs(500);
    seq.SetAdjust({0, 150, 100});
    rig.advanceMs(5000);
    EXPECT_EQ(seq.Position(), 20);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
}

TEST(SongAdjust, VolumeScalesTheSongsChannelVolumeTheChaseAndTheDefault)
{
    SmfWriter w(1, 480);
    w.addTrack().tempo(500000);
    w.addTrack().controlChange(0, 7, 90).noteOn(0, 60, 100).noteOn(1, 62, 100).at(1920).controlChange(0, 7, 120)
        .at(3840).noteOff(0, 60).noteOff(1, 62);
    const std::string path = writeSong(w, "volume.mid");

    struct Case {
        int volume;
        std::vector<int> channel0; // from the start
        std::vector<int> chased0;  // from step 20, after the second change
        int channel1;              // the song sends none: the reset's 100, scaled
    };
    for (const Case &c : {Case{50, {45, 60}, {60}, 50}, Case{150, {127, 127}, {127}, 127},
                          Case{0, {0, 0}, {0}, 0}, Case{100, {90, 120}, {120}, 100}}) {
        Rig rig;
        auto &seq = rig.sequencer;
        seq.Open(path);
        seq.SetAdjust({0, 100, c.volume});
        const std::vector<int> before1 = volumes(rig.output->take(), 1);
        seq.Play();
        rig.advanceMs(5000);
        Messages played = rig.output->take();
        const std::vector<int> v0 = volumes(played, 0);
        ASSERT_GE(v0.size(), 2u);
        EXPECT_EQ(std::vector<int>(v0.end() - 2, v0.end()), c.channel0) << c.volume;
        const std::vector<int> v1 = volumes(played, 1);
        ASSERT_FALSE(before1.empty() && v1.empty());
        EXPECT_EQ(v1.empty() ? before1.back() : v1.back(), c.channel1) << c.volume;

        seq.Seek(20);
        seq.Play();
        rig.advanceMs(10);
        const std::vector<int> chased = volumes(rig.output->take(), 0);
        ASSERT_FALSE(chased.empty());
        EXPECT_EQ(chased.back(), c.chased0.back()) << c.volume;
    }
}

TEST(SongAdjust, VolumeChangedWhilePlayingGoesOutAtOnceToEveryChannel)
{
    SmfWriter w(1, 480);
    w.addTrack().tempo(500000);
    w.addTrack().controlChange(0, 7, 80).noteOn(0, 60, 100).noteOn(2, 62, 100).at(3840).noteOff(0, 60).noteOff(2, 62);
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(writeSong(w, "level.mid"));
    seq.Play();
    rig.advanceMs(100);
    rig.output->take();
    seq.SetAdjust({0, 100, 50});
    Messages now = rig.output->take();
    EXPECT_EQ(volumes(now, 0), (std::vector<int>{40}));
    EXPECT_EQ(volumes(now, 2), (std::vector<int>{50}));
    seq.SetAdjust({0, 100, 50}); // the same again sends nothing
    EXPECT_TRUE(volumes(rig.output->take(), 0).empty());
    seq.SetAdjust({4, 100, 50}); // nor does a new key alone
    EXPECT_TRUE(volumes(rig.output->take(), 0).empty());
}

// A reset of the module itself, by the player before the song or by the
// song, puts its level at 100: the song's own level, scaled, follows it.
TEST(SongAdjust, LevelComesBackAfterAModuleReset)
{
    SmfWriter w(1, 480);
    w.addTrack().tempo(500000);
    w.addTrack().noteOn(1, 60, 100).at(480).sysEx({0x7E, 0x7F, 0x09, 0x01, 0xF7}).at(960).noteOff(1, 60);
    const std::string path = writeSong(w, "gmreset.mid");
    for (bool playerReset : {false, true}) {
        Rig rig;
        rig.sequencer.setGmReset(playerReset);
        rig.sequencer.Open(path);
        rig.sequencer.SetAdjust({0, 100, 60});
        rig.sequencer.Play();
        rig.advanceMs(2000);
        // Whatever reset came last, the channel ends at 60 % of 100.
        bool afterSongReset = false;
        std::vector<int> after;
        for (const auto &m : rig.output->messages()) {
            if (m.bytes[0] == 0xF0 && m.dueUs > 0)
                afterSongReset = true, after.clear();
            if (afterSongReset && m.bytes[0] == 0xB1 && m.bytes[1] == 7)
                after.push_back(m.bytes[2]);
        }
        EXPECT_EQ(after, std::vector<int>{60}) << playerReset;
        EXPECT_EQ(volumes(rig.output->messages(), 1).back(), 60) << playerReset;
    }
}

// A song opened after an adjusted one plays as it is, message for message.
TEST(SongAdjust, OpenStartsTheSongAtItsOwnSettings)
{
    const std::string path = quarters(1, "own.mid");
    Rig plain;
    plain.sequencer.Open(path);
    plain.sequencer.Play();
    plain.advanceMs(3000);

    Rig rig;
    rig.sequencer.Open(path);
    rig.sequencer.SetAdjust({7, 60, 20});
    rig.sequencer.Play();
    rig.advanceMs(100);
    rig.sequencer.Open(path);
    EXPECT_EQ(rig.sequencer.Adjust(), SongAdjust{});
    rig.advanceMs(10);
    rig.output->take();
    rig.sequencer.Play();
    rig.advanceMs(3000);
    const Messages expected = plain.output->messages();
    const Messages got = rig.output->messages();
    // The first song's resets go out before both; compare what the play sent.
    EXPECT_EQ(bytesOf(channelMessages(got, 0x90)), bytesOf(channelMessages(expected, 0x90)));
    EXPECT_EQ(bytesOf(channelMessages(got, 0x80)), bytesOf(channelMessages(expected, 0x80)));
    for (int ch = 0; ch < 16; ++ch)
        for (int v : volumes(got, ch))
            EXPECT_EQ(v, 100);
}

TEST(SongAdjust, PacksAndClampsTheSettings)
{
    for (const SongAdjust &a : {SongAdjust{-12, 50, 0}, SongAdjust{12, 200, 150}, SongAdjust{0, 100, 100}})
        EXPECT_EQ(SongAdjust::unpack(a.pack()), a);
    EXPECT_EQ((SongAdjust{40, 10, 999}.clamped()), (SongAdjust{12, 50, 150}));
    EXPECT_EQ(scaledVolume(127, 150), 127);
    EXPECT_EQ(scaledVolume(1, 50), 1); // rounded, not cut to silence
    EXPECT_EQ(clockUsFor(1'000'000, 200), 500'000);
    EXPECT_EQ(songUsFor(500'000, 200), 1'000'000);
}

} // namespace
} // namespace kazoon::engine::test
