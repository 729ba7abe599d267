#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kazoon::engine {

struct Song;
struct TimeSignature;

// Where the click sounds and how. The click always follows the song's own
// beats and runs on the clock that plays the song.
struct ClickSettings {
    enum class Route : std::uint8_t {
        Off,   // no click and no count-in
        Mix,   // with the song: the built-in synthesizer's own click sound, or notes on a port's song
        Split, // built-in synthesizer only: click alone on the left, the song in mono on the right
        Port,  // notes to a port of its own
    };
    static constexpr int kMaxLevel = 100;

    Route route = Route::Off;
    int level = 80;      // 0..100
    bool accent = true;  // the first beat of a bar is higher and louder
    int channel = 9;     // of the click's notes, 0-based (10 on the panel: the drum part)
    std::string port;    // for Route::Port

    bool operator==(const ClickSettings &) const = default;
    // One word for the driver, the port left out.
    std::uint32_t pack() const;
    static ClickSettings unpack(std::uint32_t word);
};

// The click as MIDI notes: GM's wood blocks, the high one on an accent.
inline constexpr std::uint8_t kClickNote = 77, kAccentNote = 76;
// The note-on of a click; its velocity 0 means the click is not heard.
std::array<std::uint8_t, 3> clickNoteOn(const ClickSettings &settings, bool accent);

// The beat the click counts in a metre: the note value of the time signature,
// or in compound metres (6/8, 9/8, 12/8 ...) the dotted one, two to a 6/8 bar.
struct Beat {
    std::int64_t ticks; // at least one
    int perBar;
};
Beat beatOf(int numerator, int denominatorPower, int ppqn);
// The time signature in force at a tick (4/4 when the song gives none).
TimeSignature metreAt(const Song &song, std::int64_t tick);

// A count-in before a play: whole bars in the metre and tempo that the music
// starts in, the last count one beat before the first note. When the song
// has rests before that note the count runs over them; the play starts late
// only by what the rests do not cover. The times are the song's own (before
// the song's tempo percentage), from its top; count clicks may lie before
// the start point, even before the top. MIDI clock and the like build on
// this same plan.
struct CountIn {
    int beats = 0;                  // clicks in the count
    int perBar = 4;
    std::int64_t firstTick = 0;     // the first note at or after the start (the start when none)
    std::int64_t firstSongUs = 0;   // its time
    std::int64_t beatSongUs = 0;    // one beat at the tempo there
    std::uint32_t usPerQuarter = 0; // that tempo

    std::int64_t clickSongUs(int k) const { return firstSongUs - (beats - k) * beatSongUs; }
    bool accent(int k) const { return k % perBar == 0; }
};
// No count (beats 0) for bars <= 0.
CountIn planCountIn(const Song &song, std::int64_t fromTick, std::int64_t toTick, int bars);

// The song's beats one after another, for a click during the song. A time
// signature starts a bar where it stands.
class BeatCursor {
public:
    void start(const Song &song, std::int64_t fromTick); // at the first beat at or after fromTick
    std::int64_t tick() const { return tick_; }
    bool accent() const { return accent_; }
    void next();

private:
    void place(std::int64_t atOrAfter);

    const Song *song_ = nullptr;
    std::int64_t tick_ = 0;
    bool accent_ = false;
};

// The built-in synthesizer's own click: a short tone that dies away within
// 40 ms, an octave up on an accent. Lives on the audio thread.
class ClickSound {
public:
    explicit ClickSound(double sampleRate = 44100.0) { setSampleRate(sampleRate); }
    void setSampleRate(double sampleRate);
    // A click at this frame of the block being rendered (level 0..100).
    void strike(int frame, bool accent, int level);
    // Adds the block's click to left and, unless null, right (frames long);
    // the sound goes on into the next block.
    void mix(float *left, float *right, int frames);
    void cut() { left_ = 0; pendingFrame_ = -1; }

private:
    double sampleRate_ = 44100.0;
    int pendingFrame_ = -1;
    bool pendingAccent_ = false;
    float pendingGain_ = 0;
    // The sounding click.
    int left_ = 0;
    double phase_ = 0, step_ = 0, envelope_ = 0, decay_ = 0;
    float gain_ = 0;
};

} // namespace kazoon::engine
