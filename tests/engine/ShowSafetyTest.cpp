#include "EngineTestSupport.h"

#include "player/engine/DeviceErrors.h"
#include "player/engine/FluidSynthOutput.h"
#include "player/engine/OutputText.h"

#include <atomic>

namespace kazoon::engine::test {
namespace {

using smf::SmfWriter;

const std::vector<std::uint8_t> kGmOn(std::begin(kGmSystemOn), std::end(kGmSystemOn));

// Two bars (four seconds) of long notes on channel 0 at 120 bpm, a program change first.
std::string longNotes(const std::string &name)
{
    SmfWriter w(0, 480);
    auto &t = w.addTrack();
    t.tempo(500000).programChange(0, 5);
    for (int i = 0; i < 8; ++i)
        t.note(0, 60 + i, 100, 470).delta(10);
    return writeSong(w, name);
}

std::size_t countOf(const Messages &messages, const std::vector<std::uint8_t> &bytes)
{
    return static_cast<std::size_t>(
        std::count_if(messages.begin(), messages.end(), [&](const auto &m) { return m.bytes == bytes; }));
}

std::int64_t firstNoteOnUs(const Messages &messages)
{
    for (const auto &m : messages)
        if ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0)
            return m.dueUs;
    return -1;
}

TEST(GmReset, GoesOutOnceForEachOpenedSongAndTheSongWaitsForTheModule)
{
    struct Row {
        bool on;
        bool playAtOnce; // a medley: the next song is opened and played in one go
    };
    for (const Row row : {Row{false, false}, Row{true, false}, Row{true, true}}) {
        SCOPED_TRACE(testing::Message() << "on " << row.on << " at once " << row.playAtOnce);
        Rig rig;
        auto &seq = rig.sequencer;
        seq.setGmReset(row.on);
        rig.advanceMs(1000);
        seq.Open(longNotes("gm.mid"));
        if (!row.playAtOnce)
            rig.advanceMs(20);
        seq.Play();
        rig.advanceMs(4500);
        const Messages first = rig.output->take();
        ASSERT_EQ(countOf(first, kGmOn), row.on ? 1u : 0u);
        if (row.on) {
            EXPECT_EQ(first.front().bytes, kGmOn) << "before the chase and the first events";
            EXPECT_GE(firstNoteOnUs(first) - first.front().dueUs, 50'000);
        } else {
            EXPECT_LE(firstNoteOnUs(first), 1'020'000);
        }
        EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);

        // Stop, seek and play again within the song: never a reset mid-song.
        seq.Seek(4);
        seq.Play();
        rig.advanceMs(500);
        seq.Stop();
        seq.SeekToStart();
        seq.Play();
        rig.advanceMs(500);
        EXPECT_EQ(countOf(rig.output->take(), kGmOn), 0u);

        // The next song gets its own.
        seq.Open(longNotes("gm2.mid"));
        seq.Play();
        rig.advanceMs(500);
        EXPECT_EQ(countOf(rig.output->take(), kGmOn), row.on ? 1u : 0u);
    }
}

TEST(GmReset, ANewOutputGetsOneToo)
{
    Rig rig;
    rig.sequencer.setGmReset(true);
    rig.sequencer.Open(longNotes("gmout.mid"));
    auto next = std::make_unique<RecordingOutput>(Driver::Mode::Manual);
    RecordingOutput *b = next.get();
    rig.sequencer.setOutput(std::move(next));
    rig.sequencer.Play();
    b->advanceBy(1'000'000);
    const Messages sent = b->take();
    EXPECT_EQ(countOf(sent, kGmOn), 1u);
    EXPECT_GE(firstNoteOnUs(sent), 100'000);
}

// An output whose driver never runs, like a synthesizer without an audio device.
class DeadOutput final : public Output {
public:
    void attach(Transport *) override {}
    std::int64_t nowUs() const override { return 0; }
    void wake() override {}
    int error() const override { return 0; }
    std::string errorText() const override { return {}; }
};

TEST(Sequencer, ClosedSongsAreReleasedWhenTheOutputNeverRuns)
{
    const std::string path = longNotes("many.mid");
    std::vector<std::unique_ptr<Output>> outputs;
    outputs.push_back(std::make_unique<DeadOutput>());
    outputs.push_back(std::make_unique<FluidSynthOutput>(FluidSynthOptions{"", {}, false})); // never rendered
    for (auto &output : outputs) {
        PostQueue queue;
        MidiSequencer seq(std::move(output), queue.poster());
        std::vector<std::weak_ptr<const Song>> songs;
        for (int i = 0; i < 100; ++i) {
            seq.Open(path);
            songs.push_back(seq.song());
            if (i % 2)
                seq.Play(); // a play the driver never takes
            seq.Close();
        }
        queue.runAll();
        const auto alive = std::count_if(songs.begin(), songs.end(), [](const auto &s) { return !s.expired(); });
        EXPECT_EQ(alive, 0);
    }
}

TEST(Sequencer, APortGoneBetweenTwoEventsStopsThePlayAtTheNextLook)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(longNotes("gone.mid"));
    seq.Play();
    rig.advanceMs(300); // inside the first note; the next event is 170 ms away
    rig.output->fail(true);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_EQ(seq.Error(), device_error::PortInUse) << "said at once, for the window's next tick";
    EXPECT_EQ(seq.ErrorText(), output_text::portLost("recording"));
    rig.deliver();
    EXPECT_EQ(rig.notified, 1);
    rig.output->fail(false);
    seq.Play();
    EXPECT_EQ(seq.Error(), 0);
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
}

// The synthesizer rendered by hand, as an audio callback would, on a clock
// the test moves: 128-frame periods, and a UI look every 50 ms.
struct SynthRig {
    std::atomic<std::int64_t> wallUs{5'000'000};
    FluidSynthOutput *synth = nullptr;
    PostQueue queue;
    std::unique_ptr<MidiSequencer> seq;
    int notified = 0;
    std::vector<float> left = std::vector<float>(128), right = std::vector<float>(128);
    std::int64_t renderedUs = 0; // audio played so far

    SynthRig()
    {
        auto out = std::make_unique<FluidSynthOutput>(
            FluidSynthOptions{"", {}, false}, [this] { return wallUs.load(); });
        synth = out.get();
        seq = std::make_unique<MidiSequencer>(std::move(out), queue.poster());
        seq->setOnNotify([this] { ++notified; });
    }
    // Wall time goes on by ms; the audio device calls for samples only when `running`.
    void run(std::int64_t ms, bool running)
    {
        const std::int64_t end = wallUs + ms * 1000;
        while (wallUs < end) {
            const std::int64_t period = static_cast<std::int64_t>(128 * 1e6 / synth->sampleRate());
            wallUs += period;
            if (running)
                synth->render(128, left.data(), right.data());
            if ((wallUs / 50'000) != ((wallUs - period) / 50'000))
                seq->Mode(); // the window's timer
        }
    }
};

TEST(Watchdog, AnAudioDeviceThatStopsPullingSamplesStopsThePlayWithin200Ms)
{
    SynthRig rig;
    ASSERT_EQ(rig.synth->error(), 0) << rig.synth->errorText();
    auto &seq = *rig.seq;
    seq.Open(longNotes("stall.mid"));
    rig.run(500, true); // stopped, with the device running: nothing to watch yet
    seq.Play();
    rig.run(1000, true);
    ASSERT_EQ(seq.Mode(), DeviceMode::Playing);
    const std::int64_t position = seq.Position();

    // The device is unplugged: no more callbacks.
    const std::int64_t stalledAt = rig.wallUs;
    while (seq.Mode() == DeviceMode::Playing && rig.wallUs - stalledAt < 1'000'000)
        rig.run(1, false);
    EXPECT_LE(rig.wallUs - stalledAt, 200'000);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_EQ(seq.Error(), device_error::PortInUse);
    EXPECT_EQ(seq.ErrorText(), output_text::audioStalled(rig.synth->audioDeviceName()));
    EXPECT_EQ(seq.Position(), position) << "where the sound stopped";
    rig.queue.runAll();
    EXPECT_EQ(rig.notified, 1);

    // Enter while the device is still gone: the reason again, nothing plays.
    rig.run(500, false);
    seq.Play();
    EXPECT_EQ(seq.Error(), device_error::PortInUse);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);

    // Back again: Enter plays on from there.
    rig.run(10, true);
    seq.Play();
    EXPECT_EQ(seq.Error(), 0);
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
    rig.run(500, true);
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
    EXPECT_GT(seq.Position(), position);
}

TEST(Watchdog, NoAlarmWhilePausedStoppedOrBetweenSongs)
{
    SynthRig rig;
    ASSERT_EQ(rig.synth->error(), 0) << rig.synth->errorText();
    auto &seq = *rig.seq;
    seq.Open(longNotes("quiet.mid"));
    seq.Play();
    rig.run(300, true);
    seq.Pause();
    rig.run(2000, false); // a device that sleeps while nothing plays
    EXPECT_EQ(seq.Mode(), DeviceMode::Paused);
    EXPECT_EQ(seq.Error(), 0);
    rig.run(10, true);
    seq.Resume();
    rig.run(300, true);
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
    seq.Stop();
    rig.run(2000, false);
    seq.Close();
    rig.run(2000, false);
    EXPECT_EQ(seq.Error(), 0);
    rig.run(10, true);
    seq.Open(longNotes("quiet2.mid"));
    seq.Play();
    rig.run(4500, true);
    EXPECT_EQ(seq.Error(), 0);
    EXPECT_EQ(seq.Position(), seq.Length());
}

TEST(FluidSynthOutput, ALowLatencyBufferUnlessTheSettingsSayOtherwise)
{
    struct Row {
        std::vector<std::pair<std::string, std::string>> settings;
        int periods, size;
    };
    const Row rows[] = {
        {{}, kDefaultAudioPeriods, kDefaultAudioPeriodSize},
        {{{"audio.periods", "16"}, {"audio.period-size", "64"}}, 16, 64},
        {{{"audio.period-size", "256"}}, kDefaultAudioPeriods, 256},
    };
    for (const Row &row : rows) {
        FluidSynthOutput synth(FluidSynthOptions{"", row.settings, false});
        EXPECT_EQ(synth.audioPeriods(), row.periods);
        EXPECT_EQ(synth.audioPeriodSize(), row.size);
    }
    EXPECT_LE(audioLatencyMs(kDefaultAudioPeriods, kDefaultAudioPeriodSize, 44100), 10.0);
}

} // namespace
} // namespace kazoon::engine::test
