#pragma once

#include <vector>

#include "smf/SmfWriter.h"

namespace kazoon::demo {

// One of the demo songs: its file name without extension, the song, whether
// it carries the medley mark, and its lyrics card.
struct DemoSong {
    const char *file;
    smf::SmfWriter song;
    bool medley;
    const char *card;
};

// Four short General MIDI songs of our own, in show order: an opening, a
// two-song medley (the first marked to run into the second) and a closing
// ballad.
std::vector<DemoSong> demoSongs();

} // namespace kazoon::demo
