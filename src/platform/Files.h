#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The program's file system calls. Paths are in the system's encoding
// (QFile::encodeName on the Qt side). Plain C++, so the engine uses them too.
namespace kazoon::platform {

// What the system says of a path, following symbolic links.
struct PathInfo {
    int error = 0; // errno when the path cannot be looked at; then the rest is false or 0
    bool regular = false;
    bool directory = false;
    std::int64_t size = 0;
};
PathInfo pathInfo(const std::string &path);

// A plain file, through links: no folder, pipe or device.
bool isRegularFile(const std::string &path);

// Reads a whole regular file of at most maxSize bytes into `bytes`. Folders,
// pipes and devices are refused without reading, so that a FIFO never blocks
// the caller. `bytes` is left empty unless Ok.
enum class ReadStatus { Ok, Missing, NotAFile, Unreadable, TooLarge };
ReadStatus readSmallFile(const std::string &path, std::int64_t maxSize, std::string &bytes);

// Replaces a file's contents through a temporary file and a rename, so that a
// failed or interrupted write leaves the old file as it was. The new file
// keeps the old one's permissions; a path that is a symbolic link has its
// target replaced, and stays a link.
//
// The temporary sits beside the file as "<name>.kazoon-XXXXXX" (six letters
// or digits) and is held under an exclusive file lock for as long as it is
// written. A temporary of that exact name, of the same owner, that nobody
// holds locked was left by a Kazoon that died while writing; such leftovers
// are removed before each write.
struct FileWrite {
    enum Result { Ok, CannotOpen, CannotWrite };
    Result result = Ok;
    int error = 0; // errno of the step that failed when not Ok
};
FileWrite replaceFile(const std::string &path, std::string_view bytes);

// Removes the leftovers of crashed writes of `path`; returns how many.
int removeStaleTemporaries(const std::string &path);

} // namespace kazoon::platform
