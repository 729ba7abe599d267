#include "EngineTestSupport.h"

#include "player/engine/MidiClock.h"

namespace kazoon::engine::test {
namespace {

// What a clock receiver is sent, with the times the transport meant.
struct ClockSink final : MidiSink {
    struct Got {
        std::vector<std::uint8_t> bytes;
        std::int64_t atUs;
    };
    std::vector<Got> got;
    bool fail = false;
    int attempts = 0;
    bool send(std::span<const std::uint8_t> m, std::int64_t timeUs) override
    {
        ++attempts;
        if (fail)
            return false;
        got.push_back({{m.begin(), m.end()}, timeUs});
        return true;
    }
    std::vector<std::int64_t> clocks() const
    {
        std::vector<std::int64_t> out;
        for (const Got &g : got)
            if (g.bytes == bytes({kTimingClock}))
                out.push_back(g.atUs);
        return out;
    }
    // The messages other than clocks, in order.
    std::vector<std::vector<std::uint8_t>> others() const
    {
        std::vector<std::vector<std::uint8_t>> out;
        for (const Got &g : got)
            if (g.bytes != bytes({kTimingClock}))
                out.push_back(g.bytes);
        return out;
    }
    std::int64_t timeOf(std::uint8_t status) const
    {
        for (const Got &g : got)
            if (g.bytes[0] == status)
                return g.atUs;
        return -1;
    }
    // How many clocks went before the first message with this status.
    std::size_t clocksBefore(std::uint8_t status) const
    {
        std::size_t n = 0;
        for (const Got &g : got) {
            if (g.bytes[0] == status)
                return n;
            n += g.bytes[0] == kTimingClock;
        }
        return n;
    }
};

struct ClockRig : Rig {
    ClockSink port;
    ClockRig() { sequencer.setMidiClockSink(&port); }
    ~ClockRig() { sequencer.setMidiClockSink(nullptr); }
    std::int64_t now() const { return output->nowUs(); }
};

// Two bars of 4/4: the first at 120, the second at 60, a note on every beat.
std::string tempoChangeSong()
{
    smf::SmfWriter w(0, 480);
    auto &t = w.addTrack();
    t.timeSignature(4, 2).bpm(120);
    for (int i = 0; i < 8; ++i) {
        if (i == 4)
            t.at(1920).bpm(60);
        t.at(i * 480).note(0, 60, 100, 480);
    }
    return writeSong(w, "clock-tempo.mid");
}

// Sixteen bars of 4/4 at 120 with a note on every beat.
std::string steadySong(int ppqn = 480)
{
    smf::SmfWriter w(0, ppqn);
    auto &t = w.addTrack();
    t.timeSignature(4, 2).bpm(120).programChange(0, 3);
    for (int i = 0; i < 64; ++i)
        t.at(std::int64_t(i) * ppqn).note(0, 60, 100, ppqn / 2);
    t.at(64 * std::int64_t(ppqn)).endOfTrack();
    return writeSong(w, "clock-steady-" + std::to_string(ppqn) + ".mid");
}

TEST(MidiClock, TicksFollowTheTempoMapAndTheSongsTempo)
{
    const std::string path = tempoChangeSong();
    for (int percent : {100, 50, 200}) {
        SCOPED_TRACE(percent);
        ClockRig rig;
        rig.sequencer.Open(path);
        rig.sequencer.SetAdjust({0, percent, 100});
        rig.advanceMs(5);
        const std::int64_t start = rig.now();
        rig.sequencer.Play();
        rig.advanceMs(15000);
        ASSERT_EQ(rig.sequencer.Mode(), DeviceMode::Stopped);

        // 24 to the quarter over both bars: the first 96 at 120, the rest at 60.
        const std::vector<std::int64_t> clocks = rig.port.clocks();
        ASSERT_EQ(clocks.size(), 192u);
        for (std::size_t n = 0; n < clocks.size(); ++n) {
            // In 24ths of a microsecond, so that only the engine rounds.
            const std::int64_t songUs24 = n < 96 ? std::int64_t(n) * 500'000 : 48'000'000 + std::int64_t(n - 96) * 1'000'000;
            EXPECT_NEAR(clocks[n] - start, songUs24 * 100 / (24 * percent), 2) << n;
        }
        EXPECT_EQ(rig.port.others(), (std::vector{bytes({kClockStart}), bytes({kClockStop})}));
        EXPECT_EQ(rig.port.timeOf(kClockStart), start);
        EXPECT_EQ(rig.port.clocksBefore(kClockStart), 0u);
        // Stop at the song's end, with its last notes' release.
        EXPECT_EQ(rig.port.timeOf(kClockStop), start + 6'000'000 * 100 / percent);
    }
}

TEST(MidiClock, TicksBetweenTheTicksOfAResolutionNotDividedBy24)
{
    // 100 ticks to the quarter: clock n falls at tick n * 100 / 24.
    ClockRig rig;
    rig.sequencer.Open(steadySong(100));
    const std::int64_t start = rig.now();
    rig.sequencer.Play();
    rig.advanceMs(3000);
    const std::vector<std::int64_t> clocks = rig.port.clocks();
    ASSERT_GE(clocks.size(), 48u);
    for (std::size_t n = 0; n < 48; ++n)
        EXPECT_NEAR(clocks[n] - start, std::int64_t(n) * 500'000 / 24, 1) << n;
}

TEST(MidiClock, AStartBeyondTheReachOfASongPositionSendsClocksOnly)
{
    // 24 ticks to the quarter: sixteenth 16384 stands at tick 98,304.
    Song song = parseMidiFile([] {
        smf::SmfWriter w(0, 24);
        w.addTrack().bpm(120).note(0, 60, 100, 24).at(100'000).note(0, 62, 100, 24);
        return w.bytes();
    }());
    CountIn none;
    MidiClock within, beyond;
    within.begin(song, 6 * kMaxSongPosition, song.endTick, none);
    beyond.begin(song, 6 * (kMaxSongPosition + 1), song.endTick, none);
    std::int64_t at = 0;
    ASSERT_TRUE(within.due(at));
    EXPECT_EQ(within.take().bytes[0], kSongPosition);
    ASSERT_TRUE(beyond.due(at));
    EXPECT_EQ(beyond.take().bytes[0], kTimingClock);
    EXPECT_FALSE(beyond.takeStop()) << "a receiver never started needs no Stop";
}

TEST(MidiClock, SongPositionAndContinueAfterASeekAPauseAndALoopPass)
{
    const std::string path = steadySong();
    ClockRig rig;
    rig.sequencer.Open(path);

    // A seek: the position in sixteenths, Continue, then the clock of that sixteenth.
    rig.sequencer.Seek(200);
    const std::int64_t seekStart = rig.now();
    rig.sequencer.Play();
    rig.advanceMs(100);
    ASSERT_GE(rig.port.got.size(), 3u);
    EXPECT_EQ(rig.port.got[0].bytes, bytes({kSongPosition, 200 & 0x7F, 200 >> 7}));
    EXPECT_EQ(rig.port.got[1].bytes, bytes({kClockContinue}));
    EXPECT_EQ(rig.port.got[2].bytes, bytes({kTimingClock}));
    EXPECT_EQ(rig.port.got[2].atUs, seekStart);

    // A pause stops the receiver at once; the resume goes on from the step the pause kept.
    rig.sequencer.Pause();
    EXPECT_EQ(rig.port.got.back().bytes, bytes({kClockStop}));
    EXPECT_EQ(rig.port.got.back().atUs, rig.now());
    // Paused 0.8 of a sixteenth on: the receiver joins at the next whole one, 25 ms after the resume.
    ASSERT_EQ(rig.sequencer.Position(), 200);
    rig.port.got.clear();
    const std::int64_t resumed = rig.now();
    rig.sequencer.Resume();
    rig.advanceMs(50);
    ASSERT_GE(rig.port.got.size(), 3u);
    EXPECT_EQ(rig.port.got[0].bytes, bytes({kSongPosition, 201 & 0x7F, 201 >> 7}));
    EXPECT_EQ(rig.port.got[1].bytes, bytes({kClockContinue}));
    EXPECT_EQ(rig.port.got[2].atUs, resumed + 25'000);
    rig.sequencer.Stop();

    // A lesson loop's passes: each ends with Stop at the end flag and starts again at its start.
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        rig.port.got.clear();
        rig.sequencer.Seek(16);
        rig.sequencer.SetEndPosition(32);
        const std::int64_t start = rig.now();
        rig.sequencer.Play();
        rig.advanceMs(3000);
        ASSERT_EQ(rig.sequencer.Mode(), DeviceMode::Stopped);
        EXPECT_EQ(rig.port.others(),
                  (std::vector{bytes({kSongPosition, 16, 0}), bytes({kClockContinue}), bytes({kClockStop})}));
        EXPECT_EQ(rig.port.clocks().size(), 16u * 6);
        EXPECT_EQ(rig.port.timeOf(kClockStop), start + 2'000'000);
    }
}

TEST(MidiClock, NoneDuringAStandbyRunThenItsPointAndOneStopOnEsc)
{
    ClockRig rig;
    rig.sequencer.Open(steadySong());
    // The standby run plays muted up to the point: a receiver must not play along.
    rig.sequencer.SetMuteNotesNext(true);
    rig.sequencer.SetEndPosition(48);
    rig.sequencer.Play();
    rig.advanceMs(8000);
    ASSERT_EQ(rig.sequencer.Position(), 48);
    EXPECT_TRUE(rig.port.got.empty());

    rig.sequencer.Resume();
    rig.advanceMs(990);
    rig.sequencer.Stop();
    rig.sequencer.Stop();
    rig.advanceMs(1000);
    EXPECT_EQ(rig.port.others(),
              (std::vector{bytes({kSongPosition, 48, 0}), bytes({kClockContinue}), bytes({kClockStop})}));
    EXPECT_EQ(rig.port.clocks().size(), 48u); // one second at 120
}

TEST(MidiClock, ACountInRunsAtItsTempoWithTheReceiverStillStanding)
{
    ClickSettings click;
    click.route = ClickSettings::Route::Mix;
    const std::string path = steadySong();
    for (int percent : {100, 200}) {
        SCOPED_TRACE(percent);
        ClockRig rig;
        rig.sequencer.Open(path);
        rig.sequencer.SetClick(click);
        rig.sequencer.SetAdjust({0, percent, 100});
        rig.advanceMs(5);
        const std::int64_t start = rig.now();
        rig.sequencer.SetCountInNext(1);
        rig.sequencer.Play();
        rig.advanceMs(4000);
        // A bar of four counts: 96 clocks, then Start right on the song's first beat.
        const std::int64_t songStart = start + 2'000'000 * 100 / percent;
        const std::vector<std::int64_t> clocks = rig.port.clocks();
        EXPECT_EQ(rig.port.clocksBefore(kClockStart), 96u);
        EXPECT_EQ(rig.port.timeOf(kClockStart), songStart);
        ASSERT_GT(clocks.size(), 100u);
        EXPECT_EQ(clocks.front(), start);
        for (std::size_t n = 0; n <= 96; ++n)
            EXPECT_NEAR(clocks[n] - start, std::int64_t(n) * 500'000 / 24 * 100 / percent, 1) << n;
        EXPECT_EQ(clocks[96], songStart);
        const std::vector<int> ons = noteOns(rig.output->messages());
        ASSERT_FALSE(ons.empty());
    }
}

TEST(MidiClock, ACountInFromAStandbyPointTellsThePositionBeforeTheCount)
{
    // Two bars at 120, then 90 from the standby point on.
    smf::SmfWriter w(0, 480);
    auto &t = w.addTrack();
    t.timeSignature(4, 2).bpm(120);
    for (int i = 0; i < 8; ++i)
        t.at(i * 480).note(0, 60, 100, 240);
    t.at(3840).bpm(90);
    for (int i = 0; i < 8; ++i)
        t.at(3840 + i * 480).note(0, 62, 100, 240);
    ClickSettings click;
    click.route = ClickSettings::Route::Mix;
    ClockRig rig;
    rig.sequencer.Open(writeSong(w, "clock-standby.mid"));
    rig.sequencer.SetClick(click);
    rig.sequencer.Seek(32);
    rig.advanceMs(5);
    const std::int64_t start = rig.now();
    rig.sequencer.SetCountInNext(1);
    rig.sequencer.Play();
    rig.advanceMs(4000);
    ASSERT_GE(rig.port.got.size(), 2u);
    EXPECT_EQ(rig.port.got[0].bytes, bytes({kSongPosition, 32, 0}));
    EXPECT_EQ(rig.port.got[0].atUs, start);
    EXPECT_EQ(rig.port.clocksBefore(kClockContinue), 96u);
    const std::vector<std::int64_t> clocks = rig.port.clocks();
    EXPECT_NEAR(clocks[1] - clocks[0], 666'667 / 24, 1);
    // Continue and the song's first note fall on the same time.
    const Messages messages = rig.output->messages();
    const auto first = std::find_if(messages.begin(), messages.end(),
                                    [](const auto &m) { return m.bytes == bytes({0x90, 62, 100}); });
    ASSERT_NE(first, messages.end());
    EXPECT_NEAR(rig.port.timeOf(kClockContinue), first->dueUs, 1);
    EXPECT_NEAR(rig.port.timeOf(kClockContinue) - start, 4 * 666'667, 4);
}

// A clock cable pulled mid-song must not take the backing with it: the song
// plays to its end, the clock stops for good, and the loss is told once.
TEST(MidiClock, APortThatFailsCostsTheClockOnlyAndIsToldOnce)
{
    Song song = parseMidiFile([] {
        smf::SmfWriter w(0, 480);
        w.addTrack().bpm(120).note(0, 60, 100, 960).note(0, 62, 100, 960);
        return w.bytes();
    }());
    Transport transport;
    ClockSink songOut, port;
    transport.setMidiClockPort(&port);
    PlayRequest r;
    r.playId = r.resetId = 1;
    r.song = &song;
    r.toTick = song.endTick;
    transport.submit(r);
    int attemptsAtFailure = 0;
    for (std::int64_t us = 0; us < 3'000'000; us += 1000) {
        if (us == 600'000) {
            port.fail = true;
            attemptsAtFailure = port.attempts;
        }
        transport.cycle(us, us + 1000, songOut);
    }
    EXPECT_EQ(port.attempts, attemptsAtFailure + 1); // no sends into a dead port
    EXPECT_TRUE(transport.takeMidiClockLost());
    EXPECT_FALSE(transport.takeMidiClockLost());
    const auto finish = transport.finished(1);
    ASSERT_TRUE(finish.has_value());
    EXPECT_FALSE(finish->lost);
    EXPECT_EQ(finish->tick, song.endTick);
    const auto second = std::find_if(songOut.got.begin(), songOut.got.end(),
                                     [](const auto &g) { return g.bytes == bytes({0x90, 62, 100}); });
    ASSERT_NE(second, songOut.got.end());
    EXPECT_NEAR(second->atUs, 1'000'000, 1000);
    SoundState sound;
    for (const auto &g : songOut.got)
        sound.apply(g.bytes);
    EXPECT_EQ(sound.sounding(), 0);
}

TEST(MidiClock, APortThatIsNotThereLeavesTheSongPlayingAndIsToldOncePerLoss)
{
    Rig rig;
    rig.sequencer.SetMidiClockPort("Kazoon test: no such port");
    rig.sequencer.Open(steadySong());
    rig.advanceMs(5);
    rig.output->take();
    rig.sequencer.Play();
    rig.advanceMs(1000);
    EXPECT_EQ(rig.sequencer.Error(), 0);
    EXPECT_EQ(rig.sequencer.Mode(), DeviceMode::Playing);
    EXPECT_FALSE(noteOns(rig.output->take()).empty());
    EXPECT_FALSE(rig.sequencer.TakeMidiClockLoss().empty());
    EXPECT_TRUE(rig.sequencer.TakeMidiClockLoss().empty());

    // The next song's start finds the port still gone: not told again.
    rig.sequencer.Stop();
    rig.sequencer.Play();
    rig.advanceMs(100);
    EXPECT_EQ(rig.sequencer.Mode(), DeviceMode::Playing);
    EXPECT_TRUE(rig.sequencer.TakeMidiClockLoss().empty());
}

} // namespace
} // namespace kazoon::engine::test
