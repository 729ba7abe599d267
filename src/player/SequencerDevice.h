#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "player/engine/DeviceErrors.h"
#include "player/engine/InstrumentSetup.h"
#include "player/engine/Click.h"
#include "player/engine/SongAdjust.h"

namespace kazoon {

namespace engine {
struct Song;
}

// Raised by Open when a song cannot be loaded, and by the commands that need
// an open device when none is open. The message is the device's own text.
class DeviceError : public std::runtime_error {
public:
    explicit DeviceError(const std::string &text) : std::runtime_error(text) {}
};

enum class TimeFormat {
    Steps,   // one step = one sixteenth note (PPQN / 4 ticks)
    Smpte24, // packed: byte 0 hours, 1 minutes, 2 seconds, 3 frames (24 fps)
};

enum class DeviceMode { NotOpen, Stopped, Playing, Paused };

// The sequencer device that every song plays on. All calls come from the UI
// thread and return at once; the completion notification of Play and Resume
// is delivered later on the UI thread through the handler set with
// setOnNotify. A notification that belongs to a song since closed or
// reopened is dropped.
class SequencerDevice {
public:
    virtual ~SequencerDevice() = default;

    // Opens a song; a song still open is closed first. Throws DeviceError
    // with ErrorText() on failure (Error() holds the code).
    virtual void Open(const std::string &fileName) = 0;
    virtual void Close() = 0;
    virtual void SetTimeFormat(TimeFormat format) = 0;

    // Throws DeviceError(kNoDeviceText) when no song is open.
    virtual std::int64_t Length() = 0;
    // Position and Mode do not check: 0 and NotOpen without a song.
    virtual std::int64_t Position() = 0;
    virtual DeviceMode Mode() = 0;

    // Each throws DeviceError(kNoDeviceText) when no song is open.
    virtual void Seek(std::int64_t position) = 0; // a running play ends
    virtual void SeekToStart() = 0;
    virtual void Play() = 0;   // from the current position, up to EndPosition when set
    virtual void Stop() = 0;   // position kept
    virtual void Pause() = 0;  // pauses a play; resumes a pause; else nothing
    virtual void Resume() = 0; // falls back to Play on any error

    // One-shot settings consumed by the next Play (all three) or Resume
    // (notify). NotifyNext is true again after it was consumed. MuteNotesNext
    // keeps the play's note-ons from sounding while everything else goes out
    // (a standby in front of the audience); Resume and Open drop it, so a
    // song started or resumed always sounds.
    virtual void SetNotifyNext(bool notify) = 0;
    virtual void SetEndPosition(std::int64_t position) = 0;
    virtual std::int64_t EndPosition() const = 0;
    virtual void SetMuteNotesNext(bool mute) = 0;

    // The open song's key, tempo and level, at once, also under a running
    // play; positions in steps stay where they are in the music. Open starts
    // every song at its own.
    virtual void SetAdjust(const engine::SongAdjust &adjust) = 0;
    virtual engine::SongAdjust Adjust() const = 0;
    // A count-in of this many bars before the next Play (also a Resume that
    // starts), consumed by it; Open and the Resume of a pause drop it.
    virtual void SetCountInNext(int bars) = 0;
    // The click over the open song's beats while it plays; Open turns it off.
    virtual void SetClickDuringSong(bool on) = 0;
    // Where the click goes, for every song from now on.
    virtual void SetClick(const engine::ClickSettings &click) = 0;
    // The port that gets the MIDI clock of every song from now on; empty: none.
    virtual void SetMidiClockPort(const std::string & /*port*/) {}
    // Once per loss of the clock's port, the reason; empty otherwise. The
    // play goes on without its clock.
    virtual std::string TakeMidiClockLoss() { return {}; }

    // The instruments' set-up for the next song opened (one-shot, dropped by
    // any Open): it goes out once when the song is loaded, before any play.
    virtual void SetSetupNext(std::shared_ptr<const engine::SetupMessages> setup) { (void)setup; }
    // The open song's set-up was changed: it goes out now, unless the song
    // plays or is paused (then it waits for the next load).
    virtual void ReplaceSetup(std::shared_ptr<const engine::SetupMessages> setup) { (void)setup; }

    // Silences every channel of the output at once, whatever the device
    // knows of them, also with no song open. A play goes on, its place and
    // its state kept; only what sounded at that moment ends.
    virtual void Panic() = 0;

    virtual int Error() const = 0;
    virtual std::string ErrorText() const = 0;

    // The open song as read from its file (its lyrics are read from it);
    // null without a song, or on a device that does not read songs itself.
    virtual std::shared_ptr<const engine::Song> OpenSong() const { return nullptr; }

    void setOnNotify(std::function<void()> handler) { onNotify_ = std::move(handler); }

protected:
    void notifyOwner() const
    {
        if (onNotify_)
            onNotify_();
    }

private:
    std::function<void()> onNotify_;
};

} // namespace kazoon
