#pragma once

#include "player/engine/MidiFile.h"

#include <cstdint>
#include <vector>

namespace kazoon::engine {

// The events before `tick` that rebuild every channel's state there, as
// indices into song.events in file order: bank select with the program they
// chose, the last value of each controller, RPN/NRPN sequences whole, the last
// pitch bend and channel pressure, and every SysEx. Notes are left out.
std::vector<std::uint32_t> chaseEvents(const Song &song, std::int64_t tick);

} // namespace kazoon::engine
