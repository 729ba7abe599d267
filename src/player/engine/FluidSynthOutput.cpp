#include "player/engine/FluidSynthOutput.h"

#include "platform/Threads.h"
#include "platform/Files.h"
#include "platform/SoundFonts.h"
#include "player/engine/DeviceErrors.h"
#include "player/engine/OutputText.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fluidsynth.h>
#include <set>
#include <thread>

namespace kazoon::engine {

namespace {

bool isFile(const std::string &path) { return platform::isRegularFile(path); }

bool applySetting(fluid_settings_t *settings, const std::string &name, const std::string &value)
{
    try {
        switch (fluid_settings_get_type(settings, name.c_str())) {
        case FLUID_NUM_TYPE:
            return fluid_settings_setnum(settings, name.c_str(), std::stod(value)) == FLUID_OK;
        case FLUID_INT_TYPE: {
            int number = 0;
            if (value == "yes" || value == "true" || value == "on")
                number = 1;
            else if (value != "no" && value != "false" && value != "off")
                number = std::stoi(value);
            return fluid_settings_setint(settings, name.c_str(), number) == FLUID_OK;
        }
        case FLUID_STR_TYPE:
            return fluid_settings_setstr(settings, name.c_str(), value.c_str()) == FLUID_OK;
        default:
            return false;
        }
    } catch (const std::exception &) {
        return false; // a number that is not one
    }
}

} // namespace

const char *settingName(SynthSetting setting)
{
    switch (setting) {
    case SynthSetting::AudioDriver:
        return "audio.driver";
    case SynthSetting::PeriodSize:
        return "audio.period-size";
    case SynthSetting::Periods:
        return "audio.periods";
    case SynthSetting::SampleRate:
        break;
    }
    return "synth.sample-rate";
}

std::optional<AudioSystems> audioSystems()
{
    fluid_settings_t *settings = new_fluid_settings();
    if (!settings)
        return std::nullopt;
    AudioSystems audio;
    fluid_settings_foreach_option(settings, "audio.driver", &audio.drivers,
                                  [](void *data, const char *, const char *option) {
                                      static_cast<std::vector<std::string> *>(data)->push_back(option);
                                  });
    fluid_settings_getnum_default(settings, "synth.sample-rate", &audio.sampleRate);
    fluid_settings_getint_range(settings, "audio.period-size", &audio.minPeriodSize, &audio.maxPeriodSize);
    fluid_settings_getint_range(settings, "audio.periods", &audio.minPeriods, &audio.maxPeriods);
    delete_fluid_settings(settings);
    return audio;
}

std::string chooseSoundFont(const std::string &configured, const std::vector<std::string> &standard,
                            const std::function<bool(const std::string &)> &exists)
{
    if (!configured.empty())
        return configured;
    for (const std::string &path : standard)
        if (exists(path))
            return path;
    return {};
}

std::vector<std::string> installedSoundFonts()
{
    return FluidSynthOutput::listSoundFonts(platform::soundFontFolders());
}

std::string soundFontFolder() { return platform::soundFontFolders().front(); }

std::string FluidSynthOutput::findSoundFont(const std::string &configured)
{
    return chooseSoundFont(configured, platform::standardSoundFonts(), isFile);
}

std::vector<std::string> FluidSynthOutput::listSoundFonts(const std::vector<std::string> &folders)
{
    namespace fs = std::filesystem;
    std::vector<std::string> found;
    std::set<fs::path> seen;
    for (const std::string &folder : folders) {
        std::vector<fs::path> names;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::string ext = it->path().extension().string();
            std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
            if ((ext == ".sf2" || ext == ".sf3") && isFile(it->path().string()))
                names.push_back(it->path());
        }
        std::sort(names.begin(), names.end());
        for (const fs::path &path : names) {
            const fs::path real = fs::canonical(path, ec);
            if (!ec && seen.insert(real).second)
                found.push_back(path.string());
        }
    }
    return found;
}

FluidSynthOutput::FluidSynthOutput(const FluidSynthOptions &options, std::function<std::int64_t()> wallClockUs)
    : wallClockUs_(std::move(wallClockUs))
{
    lastRenderUs_ = wallNowUs();
    settings_ = new_fluid_settings();
    if (!settings_) {
        errorText_ = output_text::kNoSynth;
        return;
    }
    // A stage needs a short buffer; the performer's own settings come after.
    fluid_settings_setint(settings_, "audio.periods", kDefaultAudioPeriods);
    fluid_settings_setint(settings_, "audio.period-size", kDefaultAudioPeriodSize);
    for (const auto &[name, value] : options.settings)
        if (!applySetting(settings_, name, value))
            ignored_.push_back(name + "=" + value);
    fluid_settings_getnum(settings_, "synth.sample-rate", &sampleRate_);
    click_.setSampleRate(sampleRate_);
    // Callbacks come once a period; a silence of several is a device that stopped.
    int periodSize = kDefaultAudioPeriodSize;
    fluid_settings_getint(settings_, "audio.period-size", &periodSize);
    stallLimitUs_ = std::max<std::int64_t>(120'000, static_cast<std::int64_t>(3e6 * periodSize / sampleRate_));
    synth_ = new_fluid_synth(settings_);
    if (!synth_) {
        errorText_ = output_text::kNoSynth;
        return;
    }
    soundFontPath_ = findSoundFont(options.soundFont);
    if (soundFontPath_.empty()) {
        errorText_ = output_text::kNoSoundFont;
        return;
    }
    if (!isFile(soundFontPath_) || fluid_synth_sfload(synth_, soundFontPath_.c_str(), 1) == FLUID_FAILED) {
        errorText_ = output_text::soundFontUnreadable(soundFontPath_);
        return;
    }
    if (options.startAudio) {
        // The library's file driver renders without our callback, so a file
        // is written by a renderer of our own that keeps the same timing.
        bool started = false;
        if (fluid_settings_str_equal(settings_, "audio.driver", "file")) {
            started = startFileWriter();
        } else {
            started = startAudioDriver();
        }
        if (!started)
            errorText_ = output_text::kNoAudio;
    }
}

namespace {

void putLe(std::FILE *f, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        std::fputc(int((value >> (8 * i)) & 0xFF), f);
}

// A 16-bit stereo PCM WAV header for `dataBytes` bytes of samples.
void writeWavHeader(std::FILE *f, std::uint32_t sampleRate, std::uint32_t dataBytes)
{
    std::fseek(f, 0, SEEK_SET);
    std::fputs("RIFF", f);
    putLe(f, 36 + dataBytes, 4);
    std::fputs("WAVEfmt ", f);
    putLe(f, 16, 4);
    putLe(f, 1, 2); // PCM
    putLe(f, 2, 2);
    putLe(f, sampleRate, 4);
    putLe(f, sampleRate * 4, 4);
    putLe(f, 4, 2);
    putLe(f, 16, 2);
    std::fputs("data", f);
    putLe(f, dataBytes, 4);
}

} // namespace

bool FluidSynthOutput::startFileWriter()
{
    char name[4096] = "fluidsynth.wav";
    fluid_settings_copystr(settings_, "audio.file.name", name, sizeof name);
    int period = 64;
    fluid_settings_getint(settings_, "audio.period-size", &period);
    period = std::clamp(period, 16, 8192);
    std::FILE *file = std::fopen(name, "wb");
    if (!file)
        return false;
    const auto rate = static_cast<std::uint32_t>(sampleRate_);
    writeWavHeader(file, rate, 0);
    // As for a device: the watchdog counts from now, not from before the
    // SoundFont was loaded, so a play at once is not taken for a stall.
    lastRenderUs_ = wallNowUs();
    fileWriter_ = std::thread([this, file, period, rate] {
        const auto frames = static_cast<std::size_t>(period);
        std::vector<float> left(frames), right(frames);
        std::vector<std::int16_t> pcm(frames * 2);
        std::uint32_t dataBytes = 0, blocks = 0;
        const auto blockTime = std::chrono::duration<double>(double(period) / sampleRate_);
        auto deadline = std::chrono::steady_clock::now();
        while (!stopFileWriter_.load()) {
            render(period, left.data(), right.data());
            for (std::size_t i = 0; i < frames; ++i) {
                pcm[2 * i] = std::int16_t(std::clamp(left[i], -1.0f, 1.0f) * 32767);
                pcm[2 * i + 1] = std::int16_t(std::clamp(right[i], -1.0f, 1.0f) * 32767);
            }
            if (dataBytes < 0xFFFF0000u - pcm.size() * 2) {
                std::fwrite(pcm.data(), 2, pcm.size(), file);
                dataBytes += std::uint32_t(pcm.size() * 2);
                // Keep the header current about once a second, so a program
                // that is killed still leaves a file that plays.
                if (++blocks % (rate / std::uint32_t(period) + 1) == 0) {
                    writeWavHeader(file, rate, dataBytes);
                    std::fseek(file, 0, SEEK_END);
                }
            }
            deadline += std::chrono::duration_cast<std::chrono::steady_clock::duration>(blockTime);
            std::this_thread::sleep_until(deadline);
        }
        writeWavHeader(file, rate, dataBytes);
        std::fclose(file);
    });
    // The priority the library gives its audio threads: the file keeps pace
    // with the clock however busy the window is, as a sound card would.
    int priority = 0;
    fluid_settings_getint(settings_, "audio.realtime-prio", &priority);
    if (priority > 0)
        platform::raiseToRealTime(fileWriter_, priority);
    return true;
}

FluidSynthOutput::~FluidSynthOutput()
{
    if (fileWriter_.joinable()) {
        stopFileWriter_.store(true);
        fileWriter_.join();
    }
    if (audio_)
        delete_fluid_audio_driver(audio_);
    if (synth_)
        delete_fluid_synth(synth_);
    if (settings_)
        delete_fluid_settings(settings_);
}

bool FluidSynthOutput::startAudioDriver()
{
    lastRenderUs_ = wallNowUs(); // the device has until the limit to call
    audio_ = new_fluid_audio_driver2(settings_, &FluidSynthOutput::audioCallback, this);
    return audio_ != nullptr;
}

std::int64_t FluidSynthOutput::wallNowUs() const
{
    if (wallClockUs_)
        return wallClockUs_();
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Only a clock that an audio device drives can stop on its own; a test that
// renders by hand is watched when it brings a clock of its own.
bool FluidSynthOutput::watched() const { return audio_ || fileWriter_.joinable() || wallClockUs_; }

bool FluidSynthOutput::alive()
{
    if (stalled_)
        return false;
    if (!watched() || wallNowUs() - lastRenderUs_.load() <= stallLimitUs_)
        return true;
    stalled_ = true;
    errorText_ = output_text::audioStalled(audioDeviceName());
    return false;
}

bool FluidSynthOutput::recover()
{
    if (!stalled_ && !errorText_.empty())
        return false; // never opened: the settings must change
    if (stalled_ && wallNowUs() - lastRenderUs_.load() <= stallLimitUs_) {
        stalled_ = false; // the callbacks are back
        errorText_.clear();
    }
    if (alive())
        return true;
    if (fileWriter_.joinable() || (!audio_ && wallClockUs_))
        return false; // nothing to open again
    // The device may be back (plugged in again): a fresh driver finds it.
    if (audio_) {
        delete_fluid_audio_driver(audio_);
        audio_ = nullptr;
    }
    if (!startAudioDriver())
        return false;
    stalled_ = false;
    errorText_.clear();
    return true;
}

int FluidSynthOutput::audioPeriods() const
{
    int periods = 0;
    if (settings_)
        fluid_settings_getint(settings_, "audio.periods", &periods);
    return periods;
}

int FluidSynthOutput::audioPeriodSize() const
{
    int size = 0;
    if (settings_)
        fluid_settings_getint(settings_, "audio.period-size", &size);
    return size;
}

std::string FluidSynthOutput::audioDeviceName() const
{
    char driver[256] = "";
    if (!settings_ || fluid_settings_copystr(settings_, "audio.driver", driver, sizeof driver) != FLUID_OK)
        return "?";
    std::string name = driver;
    char device[256] = "";
    const std::string key = "audio." + name + ".device";
    if (fluid_settings_copystr(settings_, key.c_str(), device, sizeof device) == FLUID_OK && *device &&
        std::strcmp(device, "default") != 0)
        name += ": " + std::string(device);
    return name;
}

int FluidSynthOutput::error() const { return errorText_.empty() ? 0 : device_error::PortInUse; }

void FluidSynthOutput::attach(Transport *transport)
{
    transport_.store(transport);
    // The callback may still hold the old transport for the rest of a block.
    while (rendering_.load())
        std::this_thread::yield();
}

std::int64_t FluidSynthOutput::nowUs() const
{
    return static_cast<std::int64_t>(static_cast<double>(samples_.load()) * 1e6 / sampleRate_);
}

int FluidSynthOutput::audioCallback(void *self, int len, int, float *[], int nout, float *out[])
{
    if (nout < 2)
        return FLUID_FAILED;
    static_cast<FluidSynthOutput *>(self)->render(len, out[0], out[1]);
    return FLUID_OK;
}

void FluidSynthOutput::render(int frames, float *left, float *right)
{
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    if (!synth_)
        return;
    rendering_.store(true);
    left_ = left;
    right_ = right;
    blockFrames_ = frames;
    renderedFrames_ = 0;
    const std::int64_t start = samples_.load();
    blockStartUs_ = nowUs();
    const auto endUs = static_cast<std::int64_t>(static_cast<double>(start + frames) * 1e6 / sampleRate_);
    if (Transport *transport = transport_.load())
        transport->cycle(blockStartUs_, endUs, *this);
    renderTo(frames);
    if (split_.load()) {
        // The song in mono on the right, so that the left carries the click alone.
        for (int i = 0; i < frames; ++i) {
            right[i] = 0.5f * (left[i] + right[i]);
            left[i] = 0.0f;
        }
        click_.mix(left, nullptr, frames);
    } else {
        click_.mix(left, right, frames);
    }
    samples_.store(start + frames);
    lastRenderUs_.store(wallNowUs());
    rendering_.store(false);
}

void FluidSynthOutput::renderTo(int frame)
{
    if (frame <= renderedFrames_)
        return;
    float *dry[2] = {left_ + renderedFrames_, right_ + renderedFrames_};
    float *effects[4] = {dry[0], dry[1], dry[0], dry[1]}; // reverb and chorus mixed into the dry output
    fluid_synth_process(synth_, frame - renderedFrames_, 4, effects, 2, dry);
    renderedFrames_ = frame;
}

int FluidSynthOutput::frameAt(std::int64_t timeUs) const
{
    const auto offset = static_cast<int>(static_cast<double>(timeUs - blockStartUs_) * sampleRate_ / 1e6);
    return std::clamp(offset, 0, blockFrames_);
}

void FluidSynthOutput::soundClick(bool accent, int level, std::int64_t timeUs)
{
    click_.strike(frameAt(timeUs), accent, level);
}

bool FluidSynthOutput::send(std::span<const std::uint8_t> m, std::int64_t timeUs)
{
    renderTo(frameAt(timeUs));
    const int ch = m[0] & 0x0F;
    switch (m.size() >= 2 ? m[0] & 0xF0 : 0) {
    case 0x80:
        fluid_synth_noteoff(synth_, ch, m[1]);
        break;
    case 0x90:
        if (m.size() >= 3)
            fluid_synth_noteon(synth_, ch, m[1], m[2]);
        break;
    case 0xA0:
        if (m.size() >= 3)
            fluid_synth_key_pressure(synth_, ch, m[1], m[2]);
        break;
    case 0xB0:
        if (m.size() < 3)
            break;
        fluid_synth_cc(synth_, ch, m[1], m[2]);
        // All sound off ends the voices only when the library next renders; a
        // release before that (a note-off, a pedal let go, all notes off)
        // would let them ring out instead. One frame now makes the cut final.
        if (m[1] == 120) {
            renderTo(std::min(renderedFrames_ + 1, blockFrames_));
            click_.cut(); // the click stops with everything else
        }
        break;
    case 0xC0:
        fluid_synth_program_change(synth_, ch, m[1]);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth_, ch, m[1]);
        break;
    case 0xE0:
        if (m.size() >= 3)
            fluid_synth_pitch_bend(synth_, ch, m[1] | m[2] << 7);
        break;
    case 0xF0:
        if (m[0] == 0xF0) {
            const std::size_t end = m.back() == 0xF7 ? m.size() - 1 : m.size();
            fluid_synth_sysex(synth_, reinterpret_cast<const char *>(m.data()) + 1, static_cast<int>(end - 1),
                              nullptr, nullptr, nullptr, 0);
        }
        break;
    default:
        break;
    }
    return true;
}

} // namespace kazoon::engine
