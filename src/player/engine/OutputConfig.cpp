#include "player/engine/OutputConfig.h"

#include "player/engine/FluidSynthOutput.h"
#include "player/engine/PortOutput.h"
#include "player/engine/RecordingOutput.h"

#include <algorithm>
#include <cctype>

namespace kazoon::engine {

OutputConfig::Device OutputConfig::parseDevice(const std::string &text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "port")
        return Device::Port;
    if (lower == "none")
        return Device::None;
    return Device::Synth;
}

const char *OutputConfig::deviceName(Device device)
{
    switch (device) {
    case Device::Port:
        return "port";
    case Device::None:
        return "none";
    case Device::Synth:
        break;
    }
    return "synth";
}

const std::string *OutputConfig::synthSetting(SynthSetting setting) const
{
    const std::string name = settingName(setting);
    for (const auto &[key, value] : fluidSettings)
        if (key == name)
            return &value;
    return nullptr;
}

void OutputConfig::setSynthSetting(SynthSetting setting, const std::string &value)
{
    const std::string name = settingName(setting);
    for (auto &[key, old] : fluidSettings)
        if (key == name) {
            old = value;
            return;
        }
    fluidSettings.emplace_back(name, value);
}

std::unique_ptr<Output> openOutput(const OutputConfig &config)
{
    switch (config.device) {
    case OutputConfig::Device::Port:
        return std::make_unique<PortOutput>(config.port);
    case OutputConfig::Device::None:
        return std::make_unique<NullOutput>();
    case OutputConfig::Device::Synth:
        break;
    }
    return std::make_unique<FluidSynthOutput>(FluidSynthOptions{config.soundFont, config.fluidSettings, true});
}

} // namespace kazoon::engine
