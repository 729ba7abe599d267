#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kazoon::engine {

// What one channel of the instruments is set to before a song; -1 leaves a
// value as the instrument has it.
struct ChannelSetup {
    int bankMsb = -1, bankLsb = -1, program = -1; // 0..127
    std::vector<std::pair<int, int>> controls;    // controller 0..119, value 0..127, in sending order

    bool empty() const { return bankMsb < 0 && bankLsb < 0 && program < 0 && controls.empty(); }
    bool operator==(const ChannelSetup &) const = default;
};

// The instruments' set-up for one song: a SysEx file, then each channel's
// bank, program and controllers, and a song number (a program change) for a
// keyboard or a light desk, on the song's own output or on a port of its own.
struct InstrumentSetup {
    static constexpr int kChannels = 16;
    std::array<ChannelSetup, kChannels> channels;
    std::string sysexFile;      // empty: none
    int songNumber = -1;        // program 0..127
    int songNumberChannel = 0;  // 0..15
    std::string songNumberPort; // empty: the song's own output

    bool empty() const;
    bool operator==(const InstrumentSetup &) const = default;
};

// The messages of a set-up, in the order they go out.
struct SetupMessages {
    std::vector<std::vector<std::uint8_t>> messages;
    // The channels whose sound the set-up chooses (a program, or a SysEx,
    // which may choose any channel's).
    std::uint16_t voices = 0;
    std::array<std::vector<std::vector<std::uint8_t>>, InstrumentSetup::kChannels> channelMessages;

    std::size_t bytes() const;
};

// The set-up's messages for the song's output: the SysEx messages as given,
// then each channel's bank select, program change and controllers, then the
// song number when it goes to the song's output.
SetupMessages setupMessages(const InstrumentSetup &setup, const std::vector<std::vector<std::uint8_t>> &sysex);
// The song number alone, for a port of its own.
SetupMessages songNumberMessages(const InstrumentSetup &setup);

} // namespace kazoon::engine
