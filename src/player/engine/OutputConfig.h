#pragma once

#include "player/engine/Output.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kazoon::engine {

// The synthesizer settings that the program edits itself, by what they do;
// only the synthesizer knows the library's names for them.
enum class SynthSetting { AudioDriver, PeriodSize, Periods, SampleRate };

// The [Output] and [FluidSynth] sections of the settings file:
//   [Output] Device=synth|port|none, Port=<port name>, SoundFont=<path>, GmReset=0|1
//   [FluidSynth] <fluidsynth setting>=<value>, e.g. audio.driver=alsa, synth.gain=0.5
struct OutputConfig {
    enum class Device { Synth, Port, None };
    Device device = Device::Synth;
    std::string port;
    std::string soundFont;
    std::vector<std::pair<std::string, std::string>> fluidSettings;
    bool gmReset = false; // a GM reset goes out before each song

    // The value the synthesizer settings hold for `setting`, or null.
    const std::string *synthSetting(SynthSetting setting) const;
    // Changes the value where the settings hold it, otherwise adds it last.
    void setSynthSetting(SynthSetting setting, const std::string &value);

    // "synth", "port" or "none" in any case; anything else is the synthesizer.
    static Device parseDevice(const std::string &text);
    static const char *deviceName(Device device);
};

// Never null: an output that cannot be used reports error() with its text.
std::unique_ptr<Output> openOutput(const OutputConfig &config);

} // namespace kazoon::engine
