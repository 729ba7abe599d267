#pragma once

namespace kazoon {

// The error codes of the sequencer device and its outputs, as Error() gives
// them; 0 is no error.
namespace device_error {
constexpr int None = 0;
constexpr int PortInUse = 337;   // the output cannot be used: busy, missing or lost
constexpr int NotOpen = 263;     // a command that needs an open device
constexpr int FileNotFound = 275;
constexpr int BadFile = 306;     // not a MIDI file we can play, or damaged
constexpr int Internal = 257;
} // namespace device_error

inline constexpr const char *kNoDeviceText = "MCI デバイスがありません";
inline constexpr const char *kUnknownErrorText = "原因不明のエラー";

} // namespace kazoon
