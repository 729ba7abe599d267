#pragma once

#include <string>
#include <vector>

namespace kazoon::platform {

// Where SoundFonts are installed: the system's packages' folders first, then
// the user's own (under $HOME, when it is set).
std::vector<std::string> soundFontFolders();

// The General MIDI SoundFonts that the system's packages install, best first;
// whether each is there is for the caller to see.
std::vector<std::string> standardSoundFonts();

} // namespace kazoon::platform
