#pragma once

#include "player/engine/TempoMap.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace kazoon::engine {

// One message of the merged timeline: a channel message, a SysEx (F0 and its
// data) or an F7 escape (its bytes as they are). Meta events are not played;
// only text and lyric events are kept, apart, for the lyrics.
struct SongEvent {
    std::int64_t tick;
    std::uint32_t offset; // into Song::data
    std::uint32_t size : 31;
    std::uint32_t escape : 1; // an F7 event: raw bytes, not a message to interpret
};

// A text (FF 01) or lyric (FF 05) meta event, its bytes as in the file.
struct SongText {
    std::int64_t tick;
    std::uint32_t offset; // into Song::textData
    std::uint32_t size;
    std::uint8_t type;
};

// A time signature (FF 58): numerator over 2^denominatorPower.
struct TimeSignature {
    std::int64_t tick;
    std::uint8_t numerator;
    std::uint8_t denominatorPower;
};
inline constexpr std::size_t kMaxTimeSignatures = 65536;

inline constexpr std::uint8_t kTextEvent = 0x01;
inline constexpr std::uint8_t kLyricEvent = 0x05;
// Text beyond these is dropped, so that a hostile file cannot make us hold
// more than a song's lyrics ever need.
inline constexpr std::size_t kMaxSongTexts = 65536;
inline constexpr std::size_t kMaxSongTextBytes = 1u << 20;

struct Song {
    int format = 0;
    int ppqn = 480;
    std::vector<SongEvent> events; // sorted by tick; equal ticks in track order, then file order
    std::vector<std::uint8_t> data;
    TempoMap tempo;
    std::int64_t endTick = 0; // the last End of Track
    std::vector<SongText> texts; // ordered like events
    std::vector<std::uint8_t> textData;
    std::vector<TimeSignature> metre; // by tick; at equal ticks the last one counts

    std::span<const std::uint8_t> message(const SongEvent &e) const { return {data.data() + e.offset, e.size}; }
    std::span<const std::uint8_t> text(const SongText &t) const { return {textData.data() + t.offset, t.size}; }
    std::int64_t lengthSteps() const { return tempo.tickToStepCeil(endTick); }
};

// A file that cannot be played; code is one of device_error, text is for the performer.
class MidiFileError : public std::runtime_error {
public:
    MidiFileError(int code, const std::string &text) : std::runtime_error(text), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

namespace file_text {
inline constexpr const char *kNotFound = "MIDIファイルを開けません。ファイルが見つかりません。";
inline constexpr const char *kUnreadable = "MIDIファイルを開けません。ファイルを読み込めません。";
inline constexpr const char *kDamaged = "MIDIファイルの形式が正しくないか、ファイルが壊れています。";
inline constexpr const char *kFormat2 = "フォーマット2のMIDIファイルには対応していません。";
inline constexpr const char *kSmpte = "SMPTE形式の時間単位のMIDIファイルには対応していません。";
inline constexpr const char *kTooLarge = "MIDIファイルが大きすぎます。";
} // namespace file_text

// Files above this size are refused, so that a damaged file cannot make us
// allocate without bound or hold up the window while it loads (real songs
// are far smaller; the worst file at this size loads in about half a second).
inline constexpr std::size_t kMaxFileSize = 8u << 20;

// Both throw MidiFileError.
Song parseMidiFile(std::span<const std::uint8_t> bytes);
Song loadMidiFile(const std::string &path);

} // namespace kazoon::engine
