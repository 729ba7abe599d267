#pragma once

#include "player/engine/Output.h"
#include "player/engine/Transport.h"

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_audio_driver_t fluid_audio_driver_t;

namespace kazoon::engine {

struct FluidSynthOptions {
    std::string soundFont; // empty: the first of the usual Debian SoundFonts
    std::vector<std::pair<std::string, std::string>> settings; // passed to the library as they are
    bool startAudio = true; // false: nothing plays until render() is called
};

// The embedded synthesizer. Its audio callback is the transport's clock: each
// block renders up to each due event's sample, hands the event to the synth
// and renders on, so timing follows the sample clock. Opened once and kept
// while songs come and go.
class FluidSynthOutput final : public Output, private MidiSink {
public:
    explicit FluidSynthOutput(const FluidSynthOptions &options);
    ~FluidSynthOutput() override;

    void attach(Transport *transport) override;
    std::int64_t nowUs() const override;
    void wake() override {}
    int error() const override;
    std::string errorText() const override { return errorText_; }

    // The audio callback's work: renders frames of stereo audio into left and
    // right (overwritten), sending the events due in them.
    void render(int frames, float *left, float *right);

    double sampleRate() const { return sampleRate_; }
    const std::string &soundFont() const { return soundFontPath_; }
    // Settings the library did not know, for diagnostics.
    const std::vector<std::string> &ignoredSettings() const { return ignored_; }

    static std::string findSoundFont(const std::string &configured);
    // The folders where SoundFonts are installed: the system's and the user's.
    static std::vector<std::string> soundFontFolders();
    // The SoundFonts (.sf2, .sf3) in the folders, in folder order and by name
    // within a folder; a file that several links name is listed once.
    static std::vector<std::string> listSoundFonts(const std::vector<std::string> &folders);

private:
    bool send(std::span<const std::uint8_t> message, std::int64_t timeUs) override;
    void renderTo(int frame);
    static int audioCallback(void *self, int len, int nfx, float *fx[], int nout, float *out[]);
    bool startFileWriter();

    fluid_settings_t *settings_ = nullptr;
    fluid_synth_t *synth_ = nullptr;
    fluid_audio_driver_t *audio_ = nullptr;
    std::string errorText_;
    std::string soundFontPath_;
    std::vector<std::string> ignored_;
    double sampleRate_ = 44100.0;

    std::atomic<Transport *> transport_{nullptr};
    std::atomic<bool> rendering_{false};
    std::atomic<std::int64_t> samples_{0};
    // The block being rendered, for send().
    float *left_ = nullptr, *right_ = nullptr;
    int blockFrames_ = 0, renderedFrames_ = 0;
    std::int64_t blockStartUs_ = 0;

    // audio.driver=file: our own real-time renderer writing a WAV file.
    std::thread fileWriter_;
    std::atomic<bool> stopFileWriter_{false};
};

} // namespace kazoon::engine
