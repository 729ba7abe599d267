#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <utility>

namespace kazoon::engine {

struct Song;
struct CountIn;

// MIDI's real-time and song position messages.
inline constexpr std::uint8_t kTimingClock = 0xF8, kClockStart = 0xFA, kClockContinue = 0xFB, kClockStop = 0xFC,
                              kSongPosition = 0xF2;
inline constexpr int kClocksPerQuarter = 24;
inline constexpr int kMaxSongPosition = 0x3FFF; // sixteenths: fourteen bits

// The MIDI clock of one play, in the song's own time (the transport maps it
// onto its clock, so the song's tempo percentage applies): 24 clocks to the
// quarter note on the song's tempo map. A play from the top starts the
// receiver with Start; from anywhere else the position goes first and
// Continue starts it there. Either goes just before the clock of the first
// sixteenth the song plays, so a drum machine's bar one falls on the song's.
// A count-in before that runs clocks at the count's tempo while the receiver
// still stands, so that it has the tempo when the song begins. A start
// beyond the reach of a song position sends clocks only.
class MidiClock {
public:
    struct Message {
        std::array<std::uint8_t, 3> bytes{};
        std::uint8_t size = 0;
        std::span<const std::uint8_t> span() const { return {bytes.data(), size}; }
    };

    // A play from fromTick that ends at toTick, after the count (beats 0: none).
    void begin(const Song &song, std::int64_t fromTick, std::int64_t toTick, const CountIn &count);
    // No play: nothing more is due.
    void clear() { phase_ = Phase::Idle; }
    // The song time of the next message; false when none is due.
    bool due(std::int64_t &songUs) const;
    // The next message; only after due() said there is one.
    Message take();
    // Whether the receiver runs and needs a Stop; after this call it does not.
    bool takeStop() { return std::exchange(running_, false); }

    // The song time of clock n counted from the top.
    static std::int64_t clockSongUs(const Song &song, std::int64_t n);
    static Message songPosition(std::int64_t sixteenths);

private:
    enum class Phase : std::uint8_t { Idle, Position, PreRoll, Start, Song };

    const Song *song_ = nullptr;
    Phase phase_ = Phase::Idle;
    bool fromTop_ = false;
    bool running_ = false;
    std::int64_t sixteenth_ = 0;     // where the song's clocks begin
    std::int64_t firstSongUs_ = 0;   // its time
    std::int64_t preRoll_ = 0;       // count clocks still to come
    std::uint32_t countQuarterUs_ = 0;
    std::int64_t next_ = 0;          // the song's next clock, from the top
    std::int64_t nextSongUs_ = 0;    // its time
    std::int64_t endSongUs_ = 0;     // clocks go out before this
};

} // namespace kazoon::engine
