#include "player/engine/Chase.h"

#include <algorithm>
#include <array>

namespace kazoon::engine {

namespace {
constexpr std::uint32_t kNone = UINT32_MAX;

// Data entry, increment/decrement and the parameter numbers: their meaning
// depends on the order, so every one of them is replayed.
bool isParameterController(int cc) { return cc == 6 || cc == 38 || (cc >= 96 && cc <= 101); }
} // namespace

std::vector<std::uint32_t> chaseEvents(const Song &song, std::int64_t tick)
{
    struct Channel {
        std::array<std::uint32_t, 128> controller;
        std::uint32_t program = kNone, bankMsbAtProgram = kNone, bankLsbAtProgram = kNone;
        std::uint32_t bend = kNone, pressure = kNone;
    };
    std::array<Channel, 16> channels;
    for (Channel &c : channels)
        c.controller.fill(kNone);
    std::vector<std::uint32_t> kept;

    const auto end = std::lower_bound(song.events.begin(), song.events.end(), tick,
                                      [](const SongEvent &e, std::int64_t t) { return e.tick < t; });
    const std::uint32_t count = static_cast<std::uint32_t>(end - song.events.begin());
    for (std::uint32_t i = 0; i < count; ++i) {
        const SongEvent &e = song.events[i];
        const std::uint8_t *m = song.data.data() + e.offset;
        const std::uint8_t kind = e.escape ? 0xF0 : m[0] & 0xF0;
        Channel &c = channels[m[0] & 0x0F];
        switch (kind) {
        case 0xB0:
            if (isParameterController(m[1]))
                kept.push_back(i);
            else if (m[1] != 120 && m[1] != 123) // sound off and notes off change no state
                c.controller[m[1]] = i;
            break;
        case 0xC0:
            c.program = i;
            c.bankMsbAtProgram = c.controller[0];
            c.bankLsbAtProgram = c.controller[32];
            break;
        case 0xD0:
            c.pressure = i;
            break;
        case 0xE0:
            c.bend = i;
            break;
        case 0xF0:
            kept.push_back(i); // SysEx and escapes
            break;
        default:
            break; // notes and key pressure
        }
    }
    for (const Channel &c : channels) {
        for (std::uint32_t i : c.controller)
            if (i != kNone)
                kept.push_back(i);
        for (std::uint32_t i : {c.program, c.bankMsbAtProgram, c.bankLsbAtProgram, c.bend, c.pressure})
            if (i != kNone)
                kept.push_back(i);
    }
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    return kept;
}

} // namespace kazoon::engine
