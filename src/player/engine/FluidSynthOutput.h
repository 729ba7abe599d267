#pragma once

#include "player/engine/Click.h"
#include "player/engine/Output.h"
#include "player/engine/OutputConfig.h"
#include "player/engine/Transport.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_audio_driver_t fluid_audio_driver_t;

namespace kazoon::engine {

// The audio buffer used unless the settings say otherwise: 3 × 128 frames,
// 8.7 ms at 44.1 kHz, where the library's own 16 × 64 frames take 23 ms.
inline constexpr int kDefaultAudioPeriods = 3;
inline constexpr int kDefaultAudioPeriodSize = 128;

// The latency of an audio buffer, in milliseconds.
inline double audioLatencyMs(int periods, int periodSize, double sampleRate)
{
    return sampleRate > 0 ? 1000.0 * periods * periodSize / sampleRate : 0.0;
}

// The library's name for a setting that the program edits itself.
const char *settingName(SynthSetting setting);

// What the installed library offers for the synthesizer's audio.
struct AudioSystems {
    std::vector<std::string> drivers; // the library's names ("pulseaudio", "jack", "alsa", ...)
    double sampleRate = 44100.0;      // the library's default
    int minPeriodSize = 64, maxPeriodSize = 8192;
    int minPeriods = 2, maxPeriods = 64;
};
// Nothing when the library cannot be asked.
std::optional<AudioSystems> audioSystems();

// The SoundFont to load: the configured one as it is (a missing one is an
// error to report, not a reason to load another), otherwise the first of
// `standard` that `exists`; empty when there is none.
std::string chooseSoundFont(const std::string &configured, const std::vector<std::string> &standard,
                            const std::function<bool(const std::string &)> &exists);
// The SoundFonts installed in the system's and the user's folders.
std::vector<std::string> installedSoundFonts();
// The folder of the system's SoundFonts, where a search for one begins.
std::string soundFontFolder();

struct FluidSynthOptions {
    std::string soundFont; // empty: the first of the system's standard SoundFonts
    std::vector<std::pair<std::string, std::string>> settings; // passed to the library as they are
    bool startAudio = true; // false: nothing plays until render() is called
};

// The embedded synthesizer. Its audio callback is the transport's clock: each
// block renders up to each due event's sample, hands the event to the synth
// and renders on, so timing follows the sample clock. Opened once and kept
// while songs come and go.
class FluidSynthOutput final : public Output, private MidiSink {
public:
    // `wallClockUs` is the monotonic clock, in microseconds, that the watchdog
    // holds the audio callbacks against; a test that renders by hand passes
    // one to be watched.
    explicit FluidSynthOutput(const FluidSynthOptions &options, std::function<std::int64_t()> wallClockUs = {});
    ~FluidSynthOutput() override;

    void attach(Transport *transport) override;
    std::int64_t nowUs() const override;
    void wake() override {}
    int error() const override;
    std::string errorText() const override { return errorText_; }
    // Watchdog: the audio device has stopped calling for samples for longer
    // than stallLimitUs(), e.g. a USB audio interface unplugged.
    bool alive() override;
    // After a stall: goes on if the callbacks are back, otherwise opens the
    // audio device again.
    bool recover() override;
    std::int64_t stallLimitUs() const { return stallLimitUs_; }
    // The audio system and device, as the performer set them, for messages.
    std::string audioDeviceName() const;
    void setClickSplit(bool split) override { split_.store(split); }

    // The audio callback's work: renders frames of stereo audio into left and
    // right (overwritten), sending the events due in them.
    void render(int frames, float *left, float *right);

    double sampleRate() const { return sampleRate_; }
    // The audio buffer asked of the audio system.
    int audioPeriods() const;
    int audioPeriodSize() const;
    const std::string &soundFont() const { return soundFontPath_; }
    // Settings the library did not know, for diagnostics.
    const std::vector<std::string> &ignoredSettings() const { return ignored_; }

    // chooseSoundFont() among the system's standard SoundFonts.
    static std::string findSoundFont(const std::string &configured);
    // The SoundFonts (.sf2, .sf3) in the folders, in folder order and by name
    // within a folder; a file that several links name is listed once.
    static std::vector<std::string> listSoundFonts(const std::vector<std::string> &folders);

private:
    bool send(std::span<const std::uint8_t> message, std::int64_t timeUs) override;
    bool soundsClicks() const override { return true; }
    void soundClick(bool accent, int level, std::int64_t timeUs) override;
    int frameAt(std::int64_t timeUs) const;
    void renderTo(int frame);
    static int audioCallback(void *self, int len, int nfx, float *fx[], int nout, float *out[]);
    bool startFileWriter();
    bool startAudioDriver();
    bool watched() const;
    std::int64_t wallNowUs() const;

    fluid_settings_t *settings_ = nullptr;
    fluid_synth_t *synth_ = nullptr;
    fluid_audio_driver_t *audio_ = nullptr;
    std::string errorText_;
    std::string soundFontPath_;
    std::vector<std::string> ignored_;
    double sampleRate_ = 44100.0;
    std::function<std::int64_t()> wallClockUs_;
    std::int64_t stallLimitUs_ = 120'000;
    std::atomic<std::int64_t> lastRenderUs_{0}; // wall clock of the last callback
    bool stalled_ = false;                       // UI thread

    std::atomic<Transport *> transport_{nullptr};
    std::atomic<bool> rendering_{false};
    std::atomic<std::int64_t> samples_{0};
    // The block being rendered, for send().
    float *left_ = nullptr, *right_ = nullptr;
    int blockFrames_ = 0, renderedFrames_ = 0;
    std::int64_t blockStartUs_ = 0;
    std::atomic<bool> split_{false};
    ClickSound click_; // audio thread

    // audio.driver=file: our own real-time renderer writing a WAV file.
    std::thread fileWriter_;
    std::atomic<bool> stopFileWriter_{false};
};

} // namespace kazoon::engine
