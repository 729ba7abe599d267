#include "EngineTestSupport.h"

#include "player/engine/FluidSynthOutput.h"

#include <cmath>

namespace kazoon::engine::test {
namespace {

constexpr int kSongChannel = 0;

struct Heard {
    std::vector<std::int64_t> clicks; // due times of the click's note-ons
    std::vector<bool> accents;
    std::vector<std::int64_t> notes; // due times of the song's note-ons
};

Heard hear(const Messages &messages)
{
    Heard h;
    for (const auto &m : messages) {
        if ((m.bytes[0] & 0xF0) != 0x90 || m.bytes[2] == 0)
            continue;
        if (m.bytes[0] == 0x99 && (m.bytes[1] == kClickNote || m.bytes[1] == kAccentNote)) {
            h.clicks.push_back(m.dueUs);
            h.accents.push_back(m.bytes[1] == kAccentNote);
        } else {
            h.notes.push_back(m.dueUs);
        }
    }
    return h;
}

ClickSettings mixed()
{
    ClickSettings c;
    c.route = ClickSettings::Route::Mix;
    return c;
}

// A song in one metre: a program change at the top, then `bars` bars of a
// note on every beat of `beatTicks`, the first at `firstTick`.
std::string metreSong(const std::string &name, int numerator, int power, std::int64_t beatTicks, int beats,
                      std::int64_t firstTick = 0, double bpm = 120)
{
    smf::SmfWriter w(0, 480);
    auto &t = w.addTrack();
    t.timeSignature(numerator, power).bpm(bpm).programChange(kSongChannel, 0);
    for (int i = 0; i < beats; ++i)
        t.at(firstTick + i * beatTicks).note(kSongChannel, 60, 100, 120);
    return writeSong(w, name);
}

struct ClickRig : Rig {
    std::int64_t startUs = 0;
    void play(const std::string &path, int countBars, int tempoPercent = 100, bool during = false)
    {
        sequencer.Open(path);
        sequencer.SetClick(mixed());
        sequencer.SetAdjust({0, tempoPercent, 100});
        sequencer.SetClickDuringSong(during);
        advanceMs(5);
        output->take();
        startUs = output->nowUs();
        sequencer.SetCountInNext(countBars);
        sequencer.Play();
    }
};

TEST(CountIn, WholeBarsOfTheSongsMetreTheFirstNoteOneBeatAfterTheLast)
{
    struct Case {
        const char *name;
        int numerator, power, bars;
        std::int64_t beatTicks; // the counted beat
        int clicks;
    } cases[] = {
        {"4-4.mid", 4, 2, 1, 480, 4},
        {"3-4.mid", 3, 2, 2, 480, 6},
        {"6-8.mid", 6, 3, 1, 720, 2}, // two dotted quarters to the bar
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ClickRig rig;
        rig.play(metreSong(c.name, c.numerator, c.power, c.beatTicks, 4), c.bars);
        rig.advanceMs(8000);
        const Heard h = hear(rig.output->messages());
        const std::int64_t beatUs = c.beatTicks * 500'000 / 480;
        ASSERT_EQ(int(h.clicks.size()), c.clicks);
        EXPECT_EQ(h.clicks.front(), rig.startUs);
        for (std::size_t i = 1; i < h.clicks.size(); ++i)
            EXPECT_EQ(h.clicks[i] - h.clicks[i - 1], beatUs) << i;
        for (std::size_t i = 0; i < h.accents.size(); ++i)
            EXPECT_EQ(h.accents[i], int(i) % (c.clicks / c.bars) == 0) << i;
        ASSERT_FALSE(h.notes.empty());
        EXPECT_EQ(h.notes.front() - h.clicks.back(), beatUs);
    }
}

TEST(CountIn, FollowsTheTempoTheMusicStartsInAndTheSongsOwnTempo)
{
    // A bar of setup at 120, then 60 from the beat before the first note.
    smf::SmfWriter w(0, 480);
    auto &t = w.addTrack();
    t.timeSignature(4, 2).bpm(120).programChange(kSongChannel, 0);
    t.at(480).bpm(60);
    t.at(960).note(kSongChannel, 60, 100, 120);
    const std::string changed = writeSong(w, "tempo-change.mid");
    {
        ClickRig rig;
        rig.play(changed, 1);
        rig.advanceMs(8000);
        const Heard h = hear(rig.output->messages());
        ASSERT_EQ(h.clicks.size(), 4u);
        EXPECT_EQ(h.clicks[1] - h.clicks[0], 1'000'000);
        EXPECT_EQ(h.clicks.front(), rig.startUs);
        ASSERT_EQ(h.notes.size(), 1u);
        EXPECT_EQ(h.notes.front() - h.clicks.back(), 1'000'000);
    }
    const std::string plain = metreSong("plain.mid", 4, 2, 480, 4);
    for (int percent : {50, 200}) {
        SCOPED_TRACE(percent);
        ClickRig rig;
        rig.play(plain, 1, percent);
        rig.advanceMs(8000);
        const Heard h = hear(rig.output->messages());
        const std::int64_t beatUs = 500'000 * 100 / percent;
        ASSERT_EQ(h.clicks.size(), 4u);
        EXPECT_EQ(h.clicks[3] - h.clicks[2], beatUs);
        ASSERT_EQ(h.notes.size(), 4u);
        EXPECT_EQ(h.notes[0] - h.clicks.back(), beatUs);
        EXPECT_EQ(h.notes[1] - h.notes[0], beatUs);
    }
}

TEST(CountIn, RunsOverRestsBeforeTheFirstNote)
{
    // Two beats of rest: the count's first two clicks come before the top,
    // its last two over the rests.
    ClickRig rig;
    rig.play(metreSong("rests.mid", 4, 2, 480, 2, 960), 1);
    rig.advanceMs(5000);
    const Heard h = hear(rig.output->messages());
    ASSERT_EQ(h.clicks.size(), 4u);
    EXPECT_EQ(h.clicks.front(), rig.startUs);
    ASSERT_EQ(h.notes.size(), 2u);
    EXPECT_EQ(h.notes.front(), rig.startUs + 2'000'000);
}

TEST(CountIn, FromAStandbyPointInTheMetreAndTempoThere)
{
    // Two bars of 4/4 at 120, then 3/4 at 90 with a note on each beat.
    smf::SmfWriter w(0, 480);
    auto &t = w.addTrack();
    t.timeSignature(4, 2).bpm(120).programChange(kSongChannel, 5);
    for (int i = 0; i < 8; ++i)
        t.at(i * 480).note(kSongChannel, 60, 100, 120);
    t.at(3840).timeSignature(3, 2).bpm(90);
    for (int i = 0; i < 6; ++i)
        t.at(3840 + i * 480).note(kSongChannel, 62, 100, 120);
    const std::string path = writeSong(w, "standby.mid");

    ClickRig rig;
    rig.sequencer.Open(path);
    rig.sequencer.SetClick(mixed());
    // The standby run: muted up to the point, with no count and no click.
    rig.sequencer.SetCountInNext(1);
    rig.sequencer.SetMuteNotesNext(true);
    rig.sequencer.SetEndPosition(32);
    rig.sequencer.Play();
    rig.advanceMs(5000);
    EXPECT_TRUE(hear(rig.output->take()).clicks.empty());
    ASSERT_EQ(rig.sequencer.Position(), 32);

    const std::int64_t start = rig.output->nowUs();
    rig.sequencer.SetCountInNext(1);
    rig.sequencer.Resume();
    rig.advanceMs(6000);
    const Messages messages = rig.output->messages();
    const Heard h = hear(messages);
    ASSERT_EQ(h.clicks.size(), 3u);
    EXPECT_EQ(h.clicks.front(), start);
    EXPECT_EQ(h.clicks[1] - h.clicks[0], 666'667);
    ASSERT_FALSE(h.notes.empty());
    EXPECT_EQ(h.notes.front() - h.clicks.back(), 666'667);
    // The state at the point is there before the count.
    EXPECT_EQ(messages.front().dueUs, start);
    EXPECT_NE(std::find_if(messages.begin(), messages.end(),
                           [](const auto &m) { return m.bytes == bytes({0xC0, 5}); }),
              messages.end());
}

TEST(CountIn, NoneWithoutAClickOrWhenNotAskedAndEscStopsIt)
{
    const std::string path = metreSong("plain.mid", 4, 2, 480, 4);
    {
        ClickRig rig; // asked for, but the click goes nowhere: the song starts at once
        rig.sequencer.Open(path);
        rig.advanceMs(5);
        const std::int64_t start = rig.output->nowUs();
        rig.sequencer.SetCountInNext(2);
        rig.sequencer.Play();
        rig.advanceMs(3000);
        const Heard h = hear(rig.output->messages());
        EXPECT_TRUE(h.clicks.empty());
        ASSERT_FALSE(h.notes.empty());
        EXPECT_EQ(h.notes.front(), start);
    }
    {
        ClickRig rig; // a play after one with a count has none of its own
        rig.play(path, 1);
        rig.advanceMs(5000);
        rig.sequencer.SeekToStart();
        rig.output->take();
        rig.sequencer.Play();
        rig.advanceMs(3000);
        EXPECT_TRUE(hear(rig.output->messages()).clicks.empty());
    }
    {
        ClickRig rig;
        rig.play(path, 2);
        rig.advanceMs(1200); // three clicks
        rig.sequencer.Stop();
        rig.advanceMs(5000);
        const Messages messages = rig.output->messages();
        const Heard h = hear(messages);
        EXPECT_EQ(h.clicks.size(), 3u);
        EXPECT_TRUE(h.notes.empty());
        EXPECT_EQ(rig.sequencer.Position(), 0);
        EXPECT_EQ(rig.sequencer.Mode(), DeviceMode::Stopped);
        SoundState sound;
        sound.apply(messages);
        EXPECT_TRUE(sound.silent());
    }
}

TEST(Click, OnEveryBeatOfTheSongAcrossAChangeOfMetre)
{
    // A bar of 3/4, then 6/8 from the next bar line, two bars of it.
    smf::SmfWriter w(0, 480);
    auto &t = w.addTrack();
    t.timeSignature(3, 2).bpm(120).note(kSongChannel, 60, 100, 120);
    t.at(1440).timeSignature(6, 3).note(kSongChannel, 62, 100, 120);
    t.at(1440 + 2 * 1440).endOfTrack();
    ClickRig rig;
    rig.play(writeSong(w, "metres.mid"), 0, 100, true);
    rig.advanceMs(6000);
    const Heard h = hear(rig.output->messages());
    // 3 quarters, then 2 × 2 dotted quarters; none on the end's bar line.
    ASSERT_EQ(h.clicks.size(), 7u);
    EXPECT_EQ(h.accents, (std::vector<bool>{true, false, false, true, false, true, false}));
    EXPECT_EQ(h.clicks.front(), rig.startUs);
    EXPECT_EQ(h.clicks[3] - h.clicks[2], 500'000);
    EXPECT_EQ(h.clicks[4] - h.clicks[3], 750'000);
    EXPECT_EQ(rig.sequencer.Mode(), DeviceMode::Stopped);
    SoundState sound;
    sound.apply(rig.output->messages());
    EXPECT_TRUE(sound.silent()); // every click's note has ended
}

// Collects what reaches it, as a port of its own would.
struct PortSink final : MidiSink {
    std::vector<std::vector<std::uint8_t>> got;
    bool send(std::span<const std::uint8_t> m, std::int64_t) override
    {
        got.emplace_back(m.begin(), m.end());
        return true;
    }
};

TEST(Click, OnAPortOfItsOwnLeavesTheSongsOutputAlone)
{
    Song song = parseMidiFile([] {
        smf::SmfWriter w(0, 480);
        w.addTrack().timeSignature(4, 2).bpm(120).note(kSongChannel, 60, 100, 240);
        return w.bytes();
    }());
    Transport transport;
    PortSink song_out, port;
    transport.setClickPort(&port);
    ClickSettings click;
    click.route = ClickSettings::Route::Port;
    click.level = 100;
    transport.setClick(click);
    PlayRequest r;
    r.playId = r.resetId = 1;
    r.song = &song;
    r.toTick = song.endTick;
    r.countIn = planCountIn(song, 0, r.toTick, 1);
    transport.submit(r);
    for (std::int64_t us = 0; us < 3'000'000; us += 1000)
        transport.cycle(us, us + 1000, song_out);
    int ons = 0, offs = 0;
    for (const auto &m : port.got) {
        EXPECT_EQ(m[0] & 0x0F, 9);
        ons += (m[0] & 0xF0) == 0x90;
        offs += (m[0] & 0xF0) == 0x80;
    }
    EXPECT_EQ(ons, 4);
    EXPECT_EQ(offs, 4);
    EXPECT_EQ(port.got.front(), bytes({0x99, kAccentNote, 127}));
    for (const auto &m : song_out.got)
        EXPECT_NE(m[0], 0x99);

    // A panic silences the click's port as well.
    port.got.clear();
    r.panicId = 1;
    transport.submit(r);
    transport.cycle(3'000'000, 3'001'000, song_out);
    for (int ch = 0; ch < 16; ++ch)
        EXPECT_NE(std::find(port.got.begin(), port.got.end(), bytes({0xB0 | ch, 120, 0})), port.got.end()) << ch;
}

TEST(Click, SplitStereoClickAloneOnTheLeftSongInMonoOnTheRight)
{
    auto output = std::make_unique<FluidSynthOutput>(FluidSynthOptions{"", {{"synth.gain", "0.8"}}, false});
    ASSERT_EQ(output->error(), 0) << output->errorText();
    FluidSynthOutput &synth = *output;
    PostQueue queue;
    MidiSequencer seq(std::move(output), queue.poster());
    // A held chord panned hard left: in the split it must still come out on the right only.
    smf::SmfWriter w(0, 480);
    auto &t = w.addTrack();
    t.timeSignature(4, 2).bpm(120).controlChange(kSongChannel, 10, 0);
    for (int note : {60, 64, 67})
        t.noteOn(kSongChannel, note, 110);
    t.at(1920);
    for (int note : {60, 64, 67})
        t.noteOff(kSongChannel, note);
    seq.Open(writeSong(w, "split.mid"));
    ClickSettings click;
    click.route = ClickSettings::Route::Split;
    click.level = 100;
    seq.SetClick(click);
    seq.SetCountInNext(1);
    seq.Play();

    const double rate = synth.sampleRate();
    std::vector<float> left, right, l(64), r(64);
    while (left.size() < std::size_t(rate * 3)) {
        synth.render(64, l.data(), r.data());
        left.insert(left.end(), l.begin(), l.end());
        right.insert(right.end(), r.begin(), r.end());
    }
    const auto peakIn = [rate](const std::vector<float> &s, double from, double to) {
        float p = 0;
        for (std::size_t i = std::size_t(from * rate); i < std::size_t(to * rate) && i < s.size(); ++i)
            p = std::max(p, std::fabs(s[i]));
        return p;
    };
    // The four clicks of the count, each starting on its beat, on the left only.
    for (int beat = 0; beat < 4; ++beat) {
        const double at = beat * 0.5;
        EXPECT_GT(peakIn(left, at, at + 0.01), 0.1f) << beat;
        EXPECT_LT(peakIn(left, at + 0.05, at + 0.49), 1e-6f) << beat;
    }
    EXPECT_LT(peakIn(right, 0, 1.99), 1e-6f);
    // Then the song, on the right only, with no click over it.
    EXPECT_GT(peakIn(right, 2.0, 2.9), 0.01f);
    EXPECT_LT(peakIn(left, 2.0, 3.0), 1e-6f);
    // The first sample of sound on the right is the chord's start, one beat after the last click.
    std::size_t first = 0;
    while (first < right.size() && std::fabs(right[first]) < 1e-6f)
        ++first;
    EXPECT_NEAR(double(first) / rate, 2.0, 0.002);

    // Mixed, the click sounds on both sides.
    click.route = ClickSettings::Route::Mix;
    seq.SetClick(click);
    seq.Stop();
    seq.SeekToStart();
    seq.SetCountInNext(1);
    seq.Play();
    left.clear();
    right.clear();
    while (left.size() < std::size_t(rate * 0.5)) {
        synth.render(64, l.data(), r.data());
        left.insert(left.end(), l.begin(), l.end());
        right.insert(right.end(), r.begin(), r.end());
    }
    EXPECT_GT(peakIn(left, 0, 0.02), 0.1f);
    EXPECT_GT(peakIn(right, 0, 0.02), 0.1f);
}

} // namespace
} // namespace kazoon::engine::test
