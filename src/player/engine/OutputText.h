#pragma once

#include <string>

namespace kazoon::engine::output_text {

inline std::string portNotFound(const std::string &name)
{
    return "MIDI出力ポートを使用できません。ポート「" + name + "」が見つかりません。";
}
inline std::string portUnusable(const std::string &name)
{
    return "MIDI出力ポートを使用できません。ポート「" + name + "」を開けません。";
}
inline std::string portLost(const std::string &name)
{
    return "MIDI出力ポートを使用できません。ポート「" + name + "」との接続が切れました。";
}
inline constexpr const char *kNoMidi = "MIDI出力ポートを使用できません。MIDIシステムを利用できません。";
inline constexpr const char *kNoSoundFont = "シンセサイザーを使用できません。サウンドフォントが見つかりません。";
inline std::string soundFontUnreadable(const std::string &path)
{
    return "シンセサイザーを使用できません。サウンドフォント「" + path + "」を読み込めません。";
}
inline constexpr const char *kNoSynth = "シンセサイザーを使用できません。";
inline std::string audioStalled(const std::string &device)
{
    return "シンセサイザーの音が止まりました。オーディオ装置「" + device + "」が応答しません。";
}
inline constexpr const char *kNoAudio = "シンセサイザーを使用できません。オーディオ出力を開けません。";

} // namespace kazoon::engine::output_text
