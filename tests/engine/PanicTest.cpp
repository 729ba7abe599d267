#include "EngineTestSupport.h"

#include "player/engine/FluidSynthOutput.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace kazoon::engine::test {
namespace {

using smf::SmfWriter;

// A sound module as a panic finds it: the pedals hold released notes, and an
// old one knows neither all sound off nor reset all controllers.
struct Module {
    bool old = false;
    struct Channel {
        std::array<bool, 128> down{}, ringing{}, caught{}; // caught: held by the sostenuto pedal
        bool sustain = false, sostenuto = false;
        int bend = 8192, expression = 127;
    };
    std::array<Channel, 16> channels{};

    static void release(Channel &c, int key)
    {
        if (!c.down[key] && !c.sustain && !c.caught[key])
            c.ringing[key] = false;
    }
    void apply(const std::vector<std::uint8_t> &m)
    {
        if (m.size() < 2 || m[0] < 0x80 || m[0] >= 0xF0)
            return;
        Channel &c = channels[m[0] & 0x0F];
        const int kind = m[0] & 0xF0;
        if (kind == 0x90 && m[2] != 0) {
            c.down[m[1]] = c.ringing[m[1]] = true;
        } else if (kind == 0x80 || kind == 0x90) {
            c.down[m[1]] = false;
            release(c, m[1]);
        } else if (kind == 0xE0) {
            c.bend = m[1] | m[2] << 7;
        } else if (kind == 0xB0) {
            const int value = m[2];
            switch (m[1]) {
            case 11: c.expression = value; break;
            case 64: c.sustain = value >= 64; break;
            case 66:
                c.sostenuto = value >= 64;
                c.caught = c.sostenuto ? c.down : std::array<bool, 128>{};
                break;
            case 123: c.down.fill(false); break;
            case 120:
                if (!old)
                    c.down.fill(false), c.ringing.fill(false);
                break;
            case 121:
                if (!old) {
                    c.sustain = c.sostenuto = false;
                    c.caught.fill(false);
                    c.bend = 8192;
                    c.expression = 127;
                }
                break;
            default: break;
            }
            for (int key = 0; key < 128; ++key)
                release(c, key);
        }
    }
    void apply(const Messages &messages)
    {
        for (const auto &m : messages)
            apply(m.bytes);
    }
    // Every channel stuck: notes whose note-off was lost, both pedals down, the pitch bent.
    void stick()
    {
        for (Channel &c : channels) {
            for (int key : {60, 64, 67})
                c.down[key] = c.ringing[key] = true;
            c.sustain = c.sostenuto = true;
            c.caught = c.down;
            c.bend = 12000;
        }
    }
    int ringing() const
    {
        int n = 0;
        for (const Channel &c : channels)
            n += static_cast<int>(std::count(c.ringing.begin(), c.ringing.end(), true));
        return n;
    }
    bool silent() const
    {
        for (const Channel &c : channels)
            if (c.sustain || c.sostenuto || c.bend != 8192)
                return false;
        return ringing() == 0;
    }
};

// At 120 bpm and 480 ppqn a second is 960 ticks. Channel 0 sets up its sound,
// holds a note with the pedal down and the pitch bent, changes its expression
// at exactly 1 s and plays a second note at 2 s; the song ends at 4 s.
std::string heldSong()
{
    SmfWriter w(0, 480);
    w.addTrack()
        .tempo(500000)
        .programChange(0, 48)
        .controlChange(0, 7, 90)
        .controlChange(0, 11, 70)
        .controlChange(0, 64, 127)
        .pitchBend(0, 10000)
        .noteOn(0, 60, 100)
        .delta(960)
        .controlChange(0, 11, 50)
        .delta(960)
        .note(0, 62, 100, 480)
        .delta(1440)
        .noteOff(0, 60)
        .controlChange(0, 64, 0);
    return writeSong(w, "held.mid");
}

TEST(Panic, SilencesEveryChannelOfAStuckModuleOldOrNewWithOrWithoutASong)
{
    Rig rig;
    auto &seq = rig.sequencer;
    for (bool open : {false, true}) {
        if (open) {
            seq.Open(heldSong());
            rig.advanceMs(10);
        }
        rig.output->take();
        seq.Panic();
        const Messages burst = rig.output->take();
        for (bool old : {false, true}) {
            Module module;
            module.old = old;
            module.stick();
            module.apply(burst);
            EXPECT_TRUE(module.silent()) << "song open " << open << ", old module " << old;
        }
    }
    EXPECT_EQ(rig.notified, 0);
}

TEST(Panic, UnderAPlayEndsWhatSoundsAndTheSongGoesOnInTimeAndInItsState)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(heldSong());
    rig.output->take();
    seq.Play();
    const std::int64_t startUs = rig.output->nowUs();
    rig.advanceMs(1000);
    Module module;
    module.apply(rig.output->take());
    ASSERT_EQ(module.ringing(), 1);

    seq.Panic();
    module.apply(rig.output->take());
    EXPECT_EQ(module.ringing(), 0) << "the held note is cut";
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
    // The song's state as it stood, including the change made at the very moment of the panic.
    const Module::Channel &c = module.channels[0];
    EXPECT_TRUE(c.sustain);
    EXPECT_EQ(c.bend, 10000);
    EXPECT_EQ(c.expression, 50);

    rig.advanceMs(1000);
    const Messages next = rig.output->take();
    const auto note = std::find_if(next.begin(), next.end(), [](const auto &m) { return m.bytes[0] == 0x90; });
    ASSERT_NE(note, next.end());
    EXPECT_EQ(note->bytes[1], 62);
    EXPECT_EQ(note->dueUs, startUs + 2'000'000) << "the panic did not move the song";
    module.apply(next);

    rig.advanceMs(2500);
    module.apply(rig.output->take());
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_TRUE(module.silent());
    rig.deliver();
    EXPECT_EQ(rig.notified, 1) << "one completion, for the play that went on";
}

// The driver of external ports: a real-time thread that is asleep until the
// next event when the panic comes.
TEST(Panic, TheRealTimeDriverSendsItAtOnceWhileTheSongPlays)
{
    PostQueue queue;
    auto out = std::make_unique<RecordingOutput>(Driver::Mode::RealTime);
    RecordingOutput &output = *out;
    MidiSequencer seq(std::move(out), queue.poster());
    seq.Open(heldSong());
    seq.Play();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Module module;
    module.apply(output.take());
    ASSERT_EQ(module.ringing(), 1);

    seq.Panic();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    Messages got;
    while (got.size() < 16 * 6 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const Messages more = output.take();
        got.insert(got.end(), more.begin(), more.end());
    }
    module.apply(got);
    EXPECT_EQ(module.ringing(), 0);
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
    seq.Close();
}

float peak(const std::vector<float> &samples, std::size_t from, std::size_t to)
{
    float p = 0;
    for (std::size_t i = from; i < std::min(to, samples.size()); ++i)
        p = std::max(p, std::fabs(samples[i]));
    return p;
}

// Strings with the pedal down ring for seconds after their note-off; the
// panic cuts the synthesizer's voices at once, without their release, also
// when a start follows before the next audio block (the reset of the
// channels at a start must not bring the release back).
TEST(Panic, TheBuiltInSynthesizerFallsSilentAtOnce)
{
    for (bool startAgain : {false, true}) {
        auto output = std::make_unique<FluidSynthOutput>(FluidSynthOptions{"", {{"synth.gain", "0.8"}}, false});
        ASSERT_EQ(output->error(), 0) << output->errorText();
        FluidSynthOutput &synth = *output;
        PostQueue queue;
        MidiSequencer seq(std::move(output), queue.poster());
        seq.Open(heldSong());
        seq.Play();

        const int block = 256;
        std::vector<float> left(block), right(block), all;
        const auto render = [&](double seconds) {
            for (int i = 0; i < static_cast<int>(synth.sampleRate() * seconds) / block; ++i) {
                synth.render(block, left.data(), right.data());
                all.insert(all.end(), left.begin(), left.end());
            }
        };
        render(0.5);
        const float sounding = peak(all, all.size() - block * 8, all.size());
        ASSERT_GT(sounding, 0.01f);

        seq.Panic();
        if (startAgain) {
            seq.Stop();
            seq.Play(); // the next note of the song is over a second away
        }
        const std::size_t at = all.size();
        render(1.2);
        const auto ms = [&](double t) { return at + static_cast<std::size_t>(synth.sampleRate() * t / 1000); };
        // What is left is the room's reverberation of the cut sound, fading out.
        EXPECT_LT(peak(all, ms(20), ms(1200)), sounding / 10) << "started again " << startAgain;
        EXPECT_LT(peak(all, ms(1000), ms(1200)), 1e-4f) << "started again " << startAgain;
        EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
    }
}

} // namespace
} // namespace kazoon::engine::test
