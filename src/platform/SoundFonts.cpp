#include "platform/SoundFonts.h"

#include <cstdlib>

namespace kazoon::platform {

namespace {
// Debian's SoundFont packages install here; default-GM.sf2 is the system's
// chosen one among them.
constexpr const char *kSystemFolder = "/usr/share/sounds/sf2";
} // namespace

std::vector<std::string> soundFontFolders()
{
    std::vector<std::string> folders = {kSystemFolder, "/usr/share/sounds/sf3", "/usr/share/soundfonts",
                                        "/usr/local/share/soundfonts"};
    if (const char *home = std::getenv("HOME"); home && *home)
        folders.push_back(std::string(home) + "/.local/share/soundfonts");
    return folders;
}

std::vector<std::string> standardSoundFonts()
{
    std::vector<std::string> fonts;
    for (const char *name : {"default-GM.sf2", "FluidR3_GM.sf2", "TimGM6mb.sf2"})
        fonts.push_back(std::string(kSystemFolder) + "/" + name);
    return fonts;
}

} // namespace kazoon::platform
