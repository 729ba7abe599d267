#include "EngineTestSupport.h"

#include "player/engine/FluidSynthOutput.h"
#include "player/engine/OutputConfig.h"
#include "player/engine/PortOutput.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace kazoon::engine::test {
namespace {

using smf::SmfWriter;

std::string chords()
{
    SmfWriter w(0, 480);
    w.addTrack().programChange(0, 0).noteOn(0, 60, 120).noteOn(0, 64, 120).noteOn(0, 67, 120).delta(960)
        .noteOff(0, 60).noteOff(0, 64).noteOff(0, 67);
    return writeSong(w, "chords.mid");
}

float peak(const std::vector<float> &samples)
{
    float p = 0;
    for (float s : samples)
        p = std::max(p, std::fabs(s));
    return p;
}

TEST(FluidSynthOutput, RendersASongOfflineThroughTheAudioCallbackPath)
{
    auto output = std::make_unique<FluidSynthOutput>(FluidSynthOptions{"", {{"synth.gain", "0.8"}}, false});
    ASSERT_EQ(output->error(), 0) << output->errorText();
    FluidSynthOutput &synth = *output;
    PostQueue queue;
    MidiSequencer seq(std::move(output), queue.poster());
    int notified = 0;
    seq.setOnNotify([&] { ++notified; });
    seq.Open(chords());

    std::vector<float> left(512), right(512);
    synth.render(512, left.data(), right.data());
    EXPECT_LT(peak(left), 1e-4f); // silence before the play

    seq.Play();
    std::vector<float> all;
    const int blocks = static_cast<int>(synth.sampleRate() * 1.2) / 512;
    for (int i = 0; i < blocks; ++i) {
        synth.render(512, left.data(), right.data());
        all.insert(all.end(), left.begin(), left.end());
        all.insert(all.end(), right.begin(), right.end());
    }
    EXPECT_GT(peak(all), 0.01f);
    // The song is one 2/4 bar, 8 steps of 125 ms: it has ended by the sample clock.
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_EQ(seq.Position(), 8);
    queue.runAll();
    EXPECT_EQ(notified, 1);
}

TEST(FluidSynthOutput, FileDriverWritesTheShowToAWaveFileInRealTime)
{
    // Named after the process: two test runs side by side must not share it.
    const std::string wav = ::testing::TempDir() + "show-" + std::to_string(::getpid()) + ".wav";
    std::remove(wav.c_str());
    {
        auto output = std::make_unique<FluidSynthOutput>(
            FluidSynthOptions{"", {{"audio.driver", "file"}, {"audio.file.name", wav}}, true});
        ASSERT_EQ(output->error(), 0) << output->errorText();
        PostQueue queue;
        MidiSequencer seq(std::move(output), queue.poster());
        seq.Open(chords());
        seq.Play();
        for (int i = 0; i < 300 && seq.Mode() != DeviceMode::Stopped; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    }
    std::FILE *f = std::fopen(wav.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<unsigned char> bytes(1 << 20);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    const std::uint32_t dataBytes = bytes[40] | bytes[41] << 8 | bytes[42] << 16 | std::uint32_t(bytes[43]) << 24;
    EXPECT_EQ(dataBytes + 44, bytes.size()) << "the header is finished when the output closes";
    int loudest = 0;
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2)
        loudest = std::max(loudest, std::abs(int(std::int16_t(bytes[i] | bytes[i + 1] << 8))));
    EXPECT_GT(loudest, 300) << "the song sounded in the file";
}

// The start of each hit in a WAV file of 16-bit stereo at 44.1 kHz: the first
// frame of a 5 ms window at least four times louder than the window before.
std::vector<double> hitSeconds(const std::vector<unsigned char> &wav)
{
    constexpr std::size_t kHeader = 44, kWindow = 220; // frames at 44.1 kHz
    std::vector<double> level;
    for (std::size_t frame = 0; kHeader + (frame + kWindow) * 4 <= wav.size(); frame += kWindow) {
        int peak = 0;
        for (std::size_t i = frame; i < frame + kWindow; ++i) {
            const std::size_t at = kHeader + i * 4;
            peak = std::max(peak, std::abs(int(std::int16_t(wav[at] | wav[at + 1] << 8))));
        }
        level.push_back(peak);
    }
    const double loudest = level.empty() ? 0 : *std::max_element(level.begin(), level.end());
    std::vector<double> hits;
    for (std::size_t w = 0; w < level.size(); ++w)
        if (level[w] > loudest / 4 && level[w] > 4 * (w > 0 ? level[w - 1] : 0.0))
            hits.push_back(double(w * kWindow) / 44100.0);
    return hits;
}

TEST(FluidSynthOutput, FileDriverPlaysAtOnceAfterItOpens)
{
    // Loading a SoundFont may take longer than the watchdog waits for a
    // silent device; on a watch three times as fast it always does. The
    // watchdog counts from the file's start, so a play straight after it is
    // no stalled device. Each output loads a copy of its own, as the library
    // would lend a loaded one's samples to the next.
    const auto fastWatch = [] {
        return 3 * std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                       .count();
    };
    const std::string font = FluidSynthOutput::findSoundFont("");
    ASSERT_FALSE(font.empty());
    const std::string song = chords();
    const std::string base = ::testing::TempDir() + "at-once-" + std::to_string(::getpid());
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        const std::string copy = base + "-" + std::to_string(attempt) + ".sf2";
        std::filesystem::copy_file(font, copy, std::filesystem::copy_options::overwrite_existing);
        PostQueue queue;
        MidiSequencer seq(std::make_unique<FluidSynthOutput>(
                              FluidSynthOptions{copy, {{"audio.driver", "file"}, {"audio.file.name", base + ".wav"}}, true},
                              fastWatch),
                          queue.poster());
        seq.Open(song);
        seq.Play();
        EXPECT_EQ(seq.Error(), 0) << seq.ErrorText();
        EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
        std::remove(copy.c_str());
    }
    std::remove((base + ".wav").c_str());
}

TEST(FluidSynthOutput, FileDriverKeepsItsBeatWhileTheUiThreadIsBusy)
{
    // Sixteen side sticks, one every 250 ms.
    SmfWriter w(0, 480);
    smf::Track &t = w.addTrack();
    t.bpm(240);
    for (int beat = 0; beat < 16; ++beat)
        t.note(9, 37, 127, 120).delta(360);
    const std::string song = writeSong(w, "sticks.mid");
    const std::string wav = ::testing::TempDir() + "busy-" + std::to_string(::getpid()) + ".wav";
    std::remove(wav.c_str());
    {
        auto output = std::make_unique<FluidSynthOutput>(
            FluidSynthOptions{"", {{"audio.driver", "file"}, {"audio.file.name", wav}}, true});
        ASSERT_EQ(output->error(), 0) << output->errorText();
        const FluidSynthOutput &synth = *output;
        PostQueue queue;
        MidiSequencer seq(std::move(output), queue.poster());
        seq.Open(song);
        seq.Play();
        ASSERT_EQ(seq.Error(), 0) << seq.ErrorText();
        // The UI thread lays out a long page for two seconds, calling nothing.
        // The file stands in for the sound card: it keeps pace with the clock
        // on the wall meanwhile, as a card takes its samples whatever the
        // window does.
        const auto clockUs = [] {
            return std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
        const std::int64_t wallStart = clockUs(), fileStart = synth.nowUs();
        std::int64_t behindUs = 0;
        while (clockUs() - wallStart < 2'000'000)
            behindUs = std::max(behindUs, (clockUs() - wallStart) - (synth.nowUs() - fileStart));
        EXPECT_LT(behindUs, 300'000) << "the file fell behind the clock";
        for (int i = 0; i < 400 && seq.Mode() != DeviceMode::Stopped; ++i) {
            queue.runAll();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    }
    std::FILE *f = std::fopen(wav.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<unsigned char> bytes(8 << 20);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    std::remove(wav.c_str());
    const std::vector<double> hits = hitSeconds(bytes);
    ASSERT_EQ(hits.size(), 16u);
    for (std::size_t i = 1; i < hits.size(); ++i)
        EXPECT_NEAR(hits[i] - hits[0], 0.25 * double(i), 0.006) << "hit " << i;
}

TEST(FluidSynthOutput, MissingSoundFontIsError337AndPlayReportsIt)
{
    auto output = std::make_unique<FluidSynthOutput>(
        FluidSynthOptions{::testing::TempDir() + "missing.sf2", {{"no.such.setting", "1"}}, false});
    EXPECT_EQ(output->error(), device_error::PortInUse);
    EXPECT_NE(output->errorText().find("サウンドフォント"), std::string::npos);
    EXPECT_EQ(output->ignoredSettings(), std::vector<std::string>{"no.such.setting=1"});
    PostQueue queue;
    MidiSequencer seq(std::move(output), queue.poster());
    seq.Open(chords()); // the song loads; only playing needs the output
    seq.Play();
    EXPECT_EQ(seq.Error(), device_error::PortInUse);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
}

TEST(OutputConfig, ParsesTheDeviceAndOpensAnOutputWhateverHappens)
{
    EXPECT_EQ(OutputConfig::parseDevice("Port"), OutputConfig::Device::Port);
    EXPECT_EQ(OutputConfig::parseDevice("none"), OutputConfig::Device::None);
    EXPECT_EQ(OutputConfig::parseDevice("synth"), OutputConfig::Device::Synth);
    EXPECT_EQ(OutputConfig::parseDevice("???"), OutputConfig::Device::Synth);
    EXPECT_STREQ(OutputConfig::deviceName(OutputConfig::Device::Port), "port");

    OutputConfig config;
    config.device = OutputConfig::Device::Port;
    config.port = "Kazoon test port that is not there";
    auto port = openOutput(config);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->error(), device_error::PortInUse);
    EXPECT_NE(port->errorText().find("MIDI出力ポートを使用できません。"), std::string::npos);

    config.device = OutputConfig::Device::None;
    EXPECT_EQ(openOutput(config)->error(), 0);
}

TEST(PortOutput, FindsAPortByNameWhateverItsNumbers)
{
    const std::vector<std::string> ports{"Midi Through:Midi Through Port-0 14:0", "SC-88:SC-88 MIDI 1 24:0"};
    EXPECT_EQ(PortOutput::findPort(ports, "SC-88:SC-88 MIDI 1 24:0"), 1);
    EXPECT_EQ(PortOutput::findPort(ports, "SC-88:SC-88 MIDI 1 28:0"), 1);
    EXPECT_EQ(PortOutput::findPort(ports, "SC-88:SC-88 MIDI 1"), 1);
    EXPECT_EQ(PortOutput::findPort(ports, "SC-88"), -1);
}

// The real-time thread, without measuring it: the song plays to its end.
TEST(Driver, RealTimeThreadPlaysASongToItsEnd)
{
    SmfWriter w(0, 480);
    w.addTrack().bpm(600).note(0, 60, 100, 48).note(0, 62, 100, 48).note(0, 64, 100, 48);
    PostQueue queue;
    auto output = std::make_unique<RecordingOutput>(Driver::Mode::RealTime);
    RecordingOutput &recording = *output;
    MidiSequencer seq(std::move(output), queue.poster());
    seq.Open(writeSong(w, "fast.mid"));
    seq.Play();
    for (int i = 0; i < 500 && seq.Mode() == DeviceMode::Playing; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_EQ(seq.Position(), seq.Length());
    const auto messages = recording.messages();
    EXPECT_EQ(noteOns(messages), (std::vector<int>{60, 62, 64}));
    for (std::size_t i = 1; i < messages.size(); ++i)
        EXPECT_LE(messages[i - 1].dueUs, messages[i].dueUs);
}

// Records into a log that outlives it, to see what reaches a port at the very end.
class LoggingOutput final : public Output, private MidiSink {
public:
    explicit LoggingOutput(std::shared_ptr<std::vector<std::vector<std::uint8_t>>> log) : log_(std::move(log)) {}
    ~LoggingOutput() override { driver_.attach(nullptr); }
    void attach(Transport *transport) override { driver_.attach(transport); }
    std::int64_t nowUs() const override { return driver_.nowUs(); }
    void wake() override { driver_.wake(); }
    int error() const override { return 0; }
    std::string errorText() const override { return {}; }

private:
    bool send(std::span<const std::uint8_t> m, std::int64_t) override
    {
        std::lock_guard lock(mutex_);
        log_->emplace_back(m.begin(), m.end());
        return true;
    }
    std::mutex mutex_;
    std::shared_ptr<std::vector<std::vector<std::uint8_t>>> log_;
    Driver driver_{*this, Driver::Mode::RealTime};
};

TEST(Driver, ClosingTheProgramMidSongLeavesNothingSounding)
{
    SmfWriter w(0, 480);
    w.addTrack().controlChange(0, 64, 127).pitchBend(0, 0).note(0, 60, 100, 480 * 100);
    auto log = std::make_shared<std::vector<std::vector<std::uint8_t>>>();
    {
        PostQueue queue;
        MidiSequencer seq(std::make_unique<LoggingOutput>(log), queue.poster());
        seq.Open(writeSong(w, "held.mid"));
        seq.Play();
        for (int i = 0; i < 500 && seq.Position() < 1; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } // the device goes with the song playing
    SoundState state;
    for (const auto &m : *log)
        state.apply(m);
    EXPECT_TRUE(state.silent());
    EXPECT_NE(std::find(log->begin(), log->end(), bytes({0x90, 60, 100})), log->end());
}

} // namespace
} // namespace kazoon::engine::test
