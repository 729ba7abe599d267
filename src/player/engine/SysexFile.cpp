#include "player/engine/SysexFile.h"

#include <fstream>
#include <system_error>
#include <filesystem>

namespace kazoon::engine {

SysexRead parseSysex(std::span<const std::uint8_t> bytes)
{
    SysexRead result;
    if (bytes.size() > kMaxSysexFileSize) {
        result.status = SysexRead::TooLarge;
        return result;
    }
    if (bytes.empty() || bytes[0] != 0xF0) {
        result.status = SysexRead::NotSysex;
        return result;
    }
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (bytes[i] != 0xF0) {
            // Something after a whole message that does not start another.
            result = {SysexRead::NotSysex, {}};
            return result;
        }
        std::size_t end = i + 1;
        while (end < bytes.size() && bytes[end] < 0x80)
            ++end;
        if (end == bytes.size() || bytes[end] != 0xF7) {
            // Cut off, or a status byte where the message should go on or end.
            result = {end == bytes.size() || bytes[end] == 0xF0 ? SysexRead::Truncated : SysexRead::NotSysex, {}};
            return result;
        }
        result.messages.emplace_back(bytes.begin() + std::ptrdiff_t(i), bytes.begin() + std::ptrdiff_t(end + 1));
        i = end + 1;
    }
    return result;
}

SysexRead readSysexFile(const std::string &path)
{
    std::error_code error;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_regular_file(file, error))
        return {std::filesystem::exists(file, error) ? SysexRead::Unreadable : SysexRead::Missing, {}};
    const auto size = std::filesystem::file_size(file, error);
    if (error)
        return {SysexRead::Unreadable, {}};
    if (size > kMaxSysexFileSize)
        return {SysexRead::TooLarge, {}};
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {SysexRead::Unreadable, {}};
    // One byte more than allowed tells a file that grew since it was measured.
    std::vector<std::uint8_t> bytes(kMaxSysexFileSize + 1);
    in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
    if (in.bad())
        return {SysexRead::Unreadable, {}};
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return parseSysex(bytes);
}

std::string sysexErrorText(SysexRead::Status status, const std::string &fileName)
{
    std::string reason;
    switch (status) {
    case SysexRead::Ok:
        return {};
    case SysexRead::Missing:
        reason = "ファイルが見つかりません。";
        break;
    case SysexRead::Unreadable:
        reason = "ファイルを読み込めません。";
        break;
    case SysexRead::TooLarge:
        reason = "ファイルが大きすぎます (1 MB まで)。";
        break;
    case SysexRead::Truncated:
        reason = "メッセージが途中で切れています。ファイルが壊れています。";
        break;
    case SysexRead::NotSysex:
        reason = "システムエクスクルーシブ (F0～F7) のファイルではありません。";
        break;
    }
    return "システムエクスクルーシブのファイルを使用できません。\r\n" + fileName + "\r\n\r\n" + reason +
           "\r\nこのファイルは送りません。";
}

} // namespace kazoon::engine
