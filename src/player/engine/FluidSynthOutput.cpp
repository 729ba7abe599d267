#include "player/engine/FluidSynthOutput.h"

#include "player/SequencerDevice.h"
#include "player/engine/OutputText.h"

#include <algorithm>
#include <cstring>
#include <fluidsynth.h>
#include <sys/stat.h>
#include <thread>

namespace kazoon::engine {

namespace {

bool isFile(const std::string &path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

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

std::string FluidSynthOutput::findSoundFont(const std::string &configured)
{
    if (!configured.empty())
        return configured;
    for (const char *path : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                             "/usr/share/sounds/sf2/TimGM6mb.sf2"})
        if (isFile(path))
            return path;
    return {};
}

FluidSynthOutput::FluidSynthOutput(const FluidSynthOptions &options)
{
    settings_ = new_fluid_settings();
    if (!settings_) {
        errorText_ = output_text::kNoSynth;
        return;
    }
    for (const auto &[name, value] : options.settings)
        if (!applySetting(settings_, name, value))
            ignored_.push_back(name + "=" + value);
    fluid_settings_getnum(settings_, "synth.sample-rate", &sampleRate_);
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
        audio_ = new_fluid_audio_driver2(settings_, &FluidSynthOutput::audioCallback, this);
        if (!audio_)
            errorText_ = output_text::kNoAudio;
    }
}

FluidSynthOutput::~FluidSynthOutput()
{
    if (audio_)
        delete_fluid_audio_driver(audio_);
    if (synth_)
        delete_fluid_synth(synth_);
    if (settings_)
        delete_fluid_settings(settings_);
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
    samples_.store(start + frames);
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

bool FluidSynthOutput::send(std::span<const std::uint8_t> m, std::int64_t timeUs)
{
    const auto offset = static_cast<int>(static_cast<double>(timeUs - blockStartUs_) * sampleRate_ / 1e6);
    renderTo(std::clamp(offset, 0, blockFrames_));
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
        if (m.size() >= 3)
            fluid_synth_cc(synth_, ch, m[1], m[2]);
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
