#include "player/engine/InstrumentSetup.h"

#include <algorithm>

namespace kazoon::engine {

namespace {
bool valid(int value) { return value >= 0 && value <= 127; }
std::uint8_t byte(int value) { return static_cast<std::uint8_t>(value); }
} // namespace

bool InstrumentSetup::empty() const
{
    return sysexFile.empty() && songNumber < 0 &&
           std::all_of(channels.begin(), channels.end(), [](const ChannelSetup &c) { return c.empty(); });
}

std::size_t SetupMessages::bytes() const
{
    std::size_t n = 0;
    for (const auto &m : messages)
        n += m.size();
    return n;
}

SetupMessages setupMessages(const InstrumentSetup &setup, const std::vector<std::vector<std::uint8_t>> &sysex)
{
    SetupMessages out;
    for (const auto &m : sysex)
        out.messages.push_back(m);
    if (!sysex.empty())
        out.voices = 0xFFFF;
    for (int ch = 0; ch < InstrumentSetup::kChannels; ++ch) {
        const ChannelSetup &c = setup.channels[static_cast<std::size_t>(ch)];
        auto &mine = out.channelMessages[static_cast<std::size_t>(ch)];
        const std::uint8_t cc = byte(0xB0 | ch);
        // A bank select takes effect with the next program change only.
        if (valid(c.program)) {
            if (valid(c.bankMsb))
                mine.push_back({cc, 0, byte(c.bankMsb)});
            if (valid(c.bankLsb))
                mine.push_back({cc, 32, byte(c.bankLsb)});
            mine.push_back({byte(0xC0 | ch), byte(c.program)});
            out.voices |= std::uint16_t(1u << ch);
        }
        for (const auto &[controller, value] : c.controls)
            if (controller >= 0 && controller <= 119 && valid(value))
                mine.push_back({cc, byte(controller), byte(value)});
        out.messages.insert(out.messages.end(), mine.begin(), mine.end());
    }
    if (valid(setup.songNumber) && setup.songNumberPort.empty())
        out.messages.push_back({byte(0xC0 | (setup.songNumberChannel & 0x0F)), byte(setup.songNumber)});
    return out;
}

SetupMessages songNumberMessages(const InstrumentSetup &setup)
{
    SetupMessages out;
    if (valid(setup.songNumber))
        out.messages.push_back({byte(0xC0 | (setup.songNumberChannel & 0x0F)), byte(setup.songNumber)});
    return out;
}

} // namespace kazoon::engine
