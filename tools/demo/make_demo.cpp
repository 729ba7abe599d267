// Writes the demo songs, their lyrics cards and a song list that names them
// by absolute path:
//   make_demo <folder>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "DemoSongs.h"

namespace fs = std::filesystem;

namespace {

// Writes through a temporary file, so that a file is there whole or not at all.
bool writeText(const fs::path &path, const std::string &text)
{
    fs::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    return !ec;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_demo <folder>\n";
        return 2;
    }
    std::error_code ec;
    fs::create_directories(argv[1], ec);
    const fs::path folder = fs::weakly_canonical(fs::absolute(argv[1]), ec);
    if (ec || !fs::is_directory(folder)) {
        std::cerr << "make_demo: cannot use folder " << argv[1] << "\n";
        return 1;
    }

    std::string list;
    for (const kazoon::demo::DemoSong &e : kazoon::demo::demoSongs()) {
        const fs::path path = folder / (std::string(e.file) + ".mid");
        if (!e.song.writeFile(path.string())) {
            std::cerr << "make_demo: cannot write " << path.string() << "\n";
            return 1;
        }
        // The card sits beside its song, named after it.
        const fs::path card = folder / (std::string(e.file) + ".txt");
        if (!writeText(card, e.card)) {
            std::cerr << "make_demo: cannot write " << card.string() << "\n";
            return 1;
        }
        list += (e.medley ? "1 " : "0 ") + path.string() + "\r\n";
    }

    const fs::path listPath = folder / "demo.mnu";
    if (!writeText(listPath, list)) {
        std::cerr << "make_demo: cannot write " << listPath.string() << "\n";
        return 1;
    }
    std::cout << listPath.string() << "\n";
    return 0;
}
