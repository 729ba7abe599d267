#pragma once

#include "player/engine/InstrumentSetup.h"
#include "player/engine/Click.h"
#include "player/engine/MidiClock.h"
#include "player/engine/MidiFile.h"
#include "player/engine/SongAdjust.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace kazoon::engine {

// Where the transport hands its messages, on the driver's thread.
class MidiSink {
public:
    // Returns false when the output has failed (a port that vanished).
    virtual bool send(std::span<const std::uint8_t> message, std::int64_t timeUs) = 0;
    // An output that makes the click's sound itself (the built-in
    // synthesizer) says so and sounds one here; others get the click as notes.
    virtual bool soundsClicks() const { return false; }
    virtual void soundClick(bool /*accent*/, int /*level*/, std::int64_t /*timeUs*/) {}

protected:
    ~MidiSink() = default;
};

// What the device wants played. The song and chase list must stay alive until
// the transport has adopted a later request (adoptedSeq).
struct PlayRequest {
    std::uint64_t playId = 0;  // 0: nothing plays
    std::uint64_t resetId = 0; // a new value puts every channel into a known state
    const Song *song = nullptr;
    std::int64_t fromTick = 0;
    std::int64_t toTick = 0;
    const std::vector<std::uint32_t> *chase = nullptr;
    bool gmReset = false; // a new resetId also sends the GM System On and lets the module settle
    bool muteNotes = false; // the song's note-ons are left out; all else, note-offs too, goes out
    // A new value silences every channel of the output, whatever the engine
    // knows of them. A play goes on: `chase` then holds the state of the
    // channels at panicTick, which is put back so that its next notes sound
    // as written.
    std::uint64_t panicId = 0;
    std::int64_t panicTick = 0;
    // The instruments' set-up: goes out once with a new resetId, after the GM
    // reset has settled and before any play; it stays the channels' starting
    // state for every start until the next reset.
    const SetupMessages *setup = nullptr;
    bool setupOnly = false; // an output that plays no song: a new resetId sends the set-up alone
    CountIn countIn;        // before the song, when it has beats (planned on the UI thread)
    bool clickDuringSong = false; // the click goes on over the song's beats
};

// What silences one channel of any module, whatever it holds: pedals up,
// all notes off, controllers reset, bend centred and, last, all sound off, so
// that nothing sent before it can leave a voice ringing out its release.
inline std::array<std::array<std::uint8_t, 3>, 6> panicMessages(int channel)
{
    const auto cc = static_cast<std::uint8_t>(0xB0 | channel);
    return {{{cc, 64, 0}, {cc, 66, 0}, {cc, 123, 0}, {cc, 121, 0},
             {static_cast<std::uint8_t>(0xE0 | channel), 0, 0x40}, {cc, 120, 0}}};
}

// The GM System On message, and how long a sound module may take over it
// before the first note should follow.
inline constexpr std::uint8_t kGmSystemOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
inline constexpr std::int64_t kGmResetSettleUs = 100'000;

// The scheduling core. The UI thread submits requests and reads atomics; one
// driver (audio callback, real-time thread or a test) calls cycle(), which
// adopts the latest request, hands every due event to the sink and keeps
// track of what sounds so that it can silence it.
class Transport {
public:
    using FinishHook = std::function<void(std::uint64_t playId)>;
    explicit Transport(FinishHook onFinish = {}) : onFinish_(std::move(onFinish)) {}

    // UI thread. Waits only for the driver copying a request. `taken` receives
    // the sequence number of the last request the driver has copied: the
    // driver may read that one and the new one, no other.
    std::uint64_t submit(const PlayRequest &request, std::uint64_t *taken = nullptr);
    std::uint64_t adoptedSeq() const { return adoptedSeq_.load(std::memory_order_acquire); }
    // The clock time at which the play's first tick sounded, once it has started.
    std::optional<std::int64_t> startedAt(std::uint64_t playId) const;
    struct Finish {
        std::int64_t tick;
        bool lost; // the output failed
    };
    std::optional<Finish> finished(std::uint64_t playId) const;
    // The set-up of this reset did not reach the output (it had failed).
    bool setupLost(std::uint64_t resetId) const { return resetId != 0 && setupLostResetId_.load() == resetId; }
    // UI thread: the key, tempo and level from the next cycle on, for the
    // play running then and the ones after it.
    void setAdjust(const SongAdjust &adjust) { adjustWanted_.store(adjust.pack(), std::memory_order_release); }
    // UI thread: where the click goes, from the next cycle on.
    void setClick(const ClickSettings &click) { clickWanted_.store(click.pack(), std::memory_order_release); }
    // Only while no driver runs the transport: where Route::Port clicks go (null: nowhere).
    void setClickPort(MidiSink *port);
    // Only while no driver runs the transport: where the MIDI clock goes (null: no clock).
    void setMidiClockPort(MidiSink *port);
    // Once after a send to the clock's port failed (any thread): the play
    // went on without its clock.
    bool takeMidiClockLost() { return midiClockLost_.exchange(false, std::memory_order_relaxed); }
    // Where in the song (its own microseconds) a play that has started is at
    // this clock time.
    std::optional<std::int64_t> songUsAt(std::uint64_t playId, std::int64_t clockUs) const;

    // Driver thread: events due before untilUs go out; nowUs is the time of
    // anything sent at once (silence, resets, chase, a start).
    void cycle(std::int64_t nowUs, std::int64_t untilUs, MidiSink &sink);
    // Driver thread: the time the next event or the end falls due.
    std::int64_t nextDueUs() const;

private:
    void adopt(const PlayRequest &request, std::int64_t nowUs);
    void start(const PlayRequest &request, std::int64_t nowUs);
    void begin(const PlayRequest &request, std::int64_t nowUs);
    void sendSetup(std::int64_t timeUs);
    bool restoreSetup(const SetupMessages &setup, std::uint16_t mask, std::int64_t timeUs);
    void finish(std::int64_t tick, bool lost);
    bool sendOut(std::span<const std::uint8_t> message, std::int64_t timeUs);
    bool sendSong(std::span<const std::uint8_t> message, std::int64_t timeUs);
    void retune(const SongAdjust &adjust, std::int64_t nowUs);
    bool silence(std::int64_t timeUs);
    void panic(std::int64_t timeUs);
    void restore(const PlayRequest &request, std::int64_t timeUs);
    bool resetChannels(std::uint16_t mask, std::int64_t timeUs, std::uint16_t keepVoices = 0);
    std::int64_t eventTime(const SongEvent &e) const { return clockAt(current_.song->tempo.tickToUs(e.tick)); }
    // The clock time of a point in the playing song's own time.
    std::int64_t clockAt(std::int64_t songUs) const
    {
        return originUs_ + clockUsFor(songUs - baseUs_, adjuster_.adjust().tempoPercent);
    }
    bool clicking() const;
    std::int64_t nextClickUs() const;
    bool sendClick();
    void clickOff(std::int64_t timeUs);
    std::int64_t nextMidiClockUs() const;
    void sendMidiClock();
    void stopMidiClock(std::int64_t timeUs);

    FinishHook onFinish_;

    std::mutex mutex_; // guards pending_; the driver only tries it
    PlayRequest pending_;
    std::atomic<std::uint64_t> submittedSeq_{0};
    std::uint64_t pendingSeq_ = 0;
    std::uint64_t takenSeq_ = 0; // written by the driver under mutex_
    std::atomic<std::uint64_t> adoptedSeq_{0};
    std::atomic<std::uint64_t> startedPlayId_{0};
    std::atomic<std::int64_t> startedOriginUs_{0};
    std::atomic<std::uint64_t> finishedPlayId_{0};
    std::atomic<std::int64_t> finishedTick_{0};
    std::atomic<bool> finishedLost_{false};
    std::atomic<std::uint64_t> setupLostResetId_{0};
    std::atomic<std::uint32_t> adjustWanted_{SongAdjust{}.pack()};
    std::atomic<std::uint32_t> clickWanted_{ClickSettings{}.pack()};
    TempoAnchor anchor_;

    // Driver thread only.
    MidiSink *sink_ = nullptr;
    PlayRequest current_;
    bool playing_ = false;
    bool waiting_ = false;       // a play that starts once the module has settled after a GM reset
    std::int64_t settledUs_ = 0; // when it has
    bool setupPending_ = false;  // the set-up goes out once the module has settled
    std::uint16_t setupVoices_ = 0;  // channels whose sound the set-up chose
    std::uint16_t voiceChanged_ = 0; // channels whose bank or program the song has changed since
    std::size_t cursor_ = 0;
    std::int64_t stopTick_ = 0; // events before this tick play
    std::int64_t originUs_ = 0, baseUs_ = 0, endUs_ = 0; // the clock at origin is the song's baseUs_
    SongAdjuster adjuster_;

    ClickSettings click_;
    MidiSink *clickPort_ = nullptr;
    CountIn count_;
    int countDone_ = 0; // count clicks sent
    bool songClicks_ = false;
    BeatCursor beats_;
    struct ClickOff {
        std::int64_t atUs = 0;
        std::array<std::uint8_t, 3> bytes{};
        MidiSink *port = nullptr; // null: the output's own
    };
    std::optional<ClickOff> clickOff_; // the note-off of the last click as notes

    MidiSink *midiClockPort_ = nullptr;
    std::atomic<bool> midiClockLost_{false};
    MidiClock midiClock_;
    std::int64_t cycleNowUs_ = 0;

    struct Channel {
        std::array<std::uint8_t, 128> sounding{}; // note-ons without their note-off
        bool bent = false;
    };
    std::array<Channel, 16> channels_{};
    std::uint16_t active_ = 0;  // channels used since the last silence
    std::uint16_t touched_ = 0; // channels used since the last reset
};

} // namespace kazoon::engine
