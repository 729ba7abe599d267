#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kazoon::engine {

// A set-up's System Exclusive file (.syx): one or more whole messages, F0 to
// F7, back to back. Anything else is refused before it can reach an instrument.
inline constexpr std::size_t kMaxSysexFileSize = 1u << 20;

struct SysexRead {
    enum Status { Ok, Missing, Unreadable, TooLarge, Truncated, NotSysex } status = Ok;
    std::vector<std::vector<std::uint8_t>> messages;
};

SysexRead parseSysex(std::span<const std::uint8_t> bytes);
SysexRead readSysexFile(const std::string &path);

// The performer's text for a refusal, naming the file.
std::string sysexErrorText(SysexRead::Status status, const std::string &fileName);

} // namespace kazoon::engine
