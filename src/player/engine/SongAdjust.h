#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

namespace kazoon::engine {

// A song's own key, tempo and level as the performer wants them for the show.
struct SongAdjust {
    static constexpr int kMinTranspose = -12, kMaxTranspose = 12;
    static constexpr int kMinTempo = 50, kMaxTempo = 200;
    static constexpr int kMinVolume = 0, kMaxVolume = 150;

    int transpose = 0;      // semitones
    int tempoPercent = 100; // of the song's own tempo
    int volumePercent = 100;

    bool neutral() const { return transpose == 0 && tempoPercent == 100 && volumePercent == 100; }
    bool operator==(const SongAdjust &) const = default;
    SongAdjust clamped() const;
    // One word, so that the driver reads all three at once.
    std::uint32_t pack() const;
    static SongAdjust unpack(std::uint32_t word);
};

// Song time to clock time at a tempo, and back.
std::int64_t clockUsFor(std::int64_t songUs, int tempoPercent);
std::int64_t songUsFor(std::int64_t clockUs, int tempoPercent);
// The channel volume sent for the song's own value.
std::uint8_t scaledVolume(std::uint8_t value, int volumePercent);

// Where song time stands against the clock, written by the driver and read by
// the UI thread without either waiting (a sequence lock over atomics).
class TempoAnchor {
public:
    struct Point {
        std::uint64_t playId;
        std::int64_t clockUs;
        std::int64_t songUs;
        int tempoPercent;
    };
    void publish(const Point &p);
    Point read() const;

private:
    std::atomic<std::uint32_t> version_{0};
    std::atomic<std::uint64_t> playId_{0};
    std::atomic<std::int64_t> clockUs_{0}, songUs_{0};
    std::atomic<int> tempoPercent_{100};
};

// Applies the key and the level to the song's messages on the driver's
// thread. A note is released at the pitch it was started with, whatever the
// key is by then; the drum channel keeps its pitches.
class SongAdjuster {
public:
    static constexpr int kDrumChannel = 9;

    const SongAdjust &adjust() const { return adjust_; }
    // Takes a new setting; the caller sends the volumes that changed (volumes()).
    void set(const SongAdjust &adjust) { adjust_ = adjust; }

    // The messages that stand for one of the song's: none, the message
    // itself, or a changed copy (with, for a note struck again in another
    // key, the release of the old pitch first).
    struct Out {
        std::array<std::array<std::uint8_t, 3>, 2> bytes{};
        std::array<int, 2> times{}; // how often each goes out
        int count = 0;
        bool original = false; // send the song's message unchanged
    };
    Out song(std::span<const std::uint8_t> message);

    // The channels were reset: volume at 100, nothing sounding. Returns the
    // volume to send for the reset.
    std::uint8_t reset(int channel);
    // Everything that sounded was silenced.
    void forgetNotes();
    // The module reset itself (GM System On): every channel volume is its
    // default 100 there, unscaled, until volumes() sends the level.
    void moduleReset();
    // Channel volume messages that bring the channels to the current level.
    template <typename Send> bool volumes(Send &&send)
    {
        bool ok = true;
        for (int ch = 0; ch < 16; ++ch) {
            Channel &c = channels_[ch];
            const std::uint8_t want = scaledVolume(c.songVolume, adjust_.volumePercent);
            if (!c.volumeKnown || want == c.sentVolume)
                continue;
            c.sentVolume = want;
            const std::uint8_t m[] = {static_cast<std::uint8_t>(0xB0 | ch), 7, want};
            ok = send(std::span<const std::uint8_t>(m, 3)) && ok;
        }
        return ok;
    }

private:
    static constexpr std::uint8_t kNone = 0xFF; // a note left out: its key fell outside the range
    struct Channel {
        std::array<std::uint8_t, 128> count{}; // sounding note-ons by the song's key
        std::array<std::uint8_t, 128> sent{};  // the pitch they went out at
        std::uint8_t songVolume = 100;
        std::uint8_t sentVolume = 100;
        bool volumeKnown = false; // set by a reset or a volume of the song
    };
    int pitch(int key) const;

    SongAdjust adjust_;
    std::array<Channel, 16> channels_{};
};

} // namespace kazoon::engine
