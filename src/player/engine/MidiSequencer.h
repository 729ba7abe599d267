#pragma once

#include "player/SequencerDevice.h"
#include "player/engine/MidiFile.h"
#include "player/engine/Output.h"
#include "player/engine/PortOutput.h"
#include "player/engine/Transport.h"

#include <functional>
#include <memory>
#include <vector>

namespace kazoon::engine {

// The sequencer device on our own MIDI engine. All calls come from the UI
// thread and return at once; the engine's driver plays on its own thread and
// completions come back through the poster, which runs a function later on
// the UI thread.
class MidiSequencer final : public SequencerDevice {
public:
    using Poster = std::function<void(std::function<void()>)>;

    // The output is kept for the program's life (a song load does not touch it).
    MidiSequencer(std::unique_ptr<Output> output, Poster poster);
    ~MidiSequencer() override;
    MidiSequencer(const MidiSequencer &) = delete;
    MidiSequencer &operator=(const MidiSequencer &) = delete;

    // Changes the output at run time (the settings changed). A play stops and
    // its silence goes to the old output; the song, its position and a pause
    // stay. The old driver lets go of the transport before the new one takes
    // it, so no driver sees a half-switched output. Returns the old output,
    // detached and silent.
    std::unique_ptr<Output> setOutput(std::unique_ptr<Output> output);
    Output &output() const { return *output_; }
    // Sends a GM reset before each song opened from now on (and to a new output).
    void setGmReset(bool on) { gmReset_ = on; }
    bool gmReset() const { return gmReset_; }
    // The open song, for tests that watch it go.
    std::weak_ptr<const Song> song() const { return song_; }

    void Open(const std::string &fileName) override;
    void Close() override;
    void SetTimeFormat(TimeFormat format) override { format_ = format; }
    std::int64_t Length() override;
    std::int64_t Position() override;
    DeviceMode Mode() override;
    void Seek(std::int64_t position) override;
    void SeekToStart() override { Seek(0); }
    void Play() override;
    void Stop() override;
    void Pause() override;
    void Resume() override;
    void SetNotifyNext(bool notify) override { notifyNext_ = notify; }
    void SetEndPosition(std::int64_t position) override;
    std::int64_t EndPosition() const override { return endPosition_; }
    void SetMuteNotesNext(bool mute) override { muteNext_ = mute; }
    void SetAdjust(const SongAdjust &adjust) override;
    // The set-up also goes to a new output (setOutput) and to a port that
    // comes back, while its song is open.
    void SetSetupNext(std::shared_ptr<const SetupMessages> setup) override { setupNext_ = std::move(setup); }
    void ReplaceSetup(std::shared_ptr<const SetupMessages> setup) override;
    SongAdjust Adjust() const override { return adjust_; }
    void Panic() override;
    void SetCountInNext(int bars) override { countNext_ = bars; }
    void SetClickDuringSong(bool on) override { clickDuringSong_ = on; }
    void SetClick(const ClickSettings &click) override;
    const ClickSettings &click() const { return click_; }
    void SetMidiClockPort(const std::string &port) override;
    std::string TakeMidiClockLoss() override;
    // Sends the clock to this sink instead of a port (tests, the benchmark); null: none.
    void setMidiClockSink(MidiSink *sink);
    int Error() const override { return error_; }
    std::string ErrorText() const override;
    std::shared_ptr<const Song> OpenSong() const override { return song_; }

private:
    void requireOpen();
    void beginCommand();
    void refresh();
    std::int64_t currentTick() const;
    void halt();
    void lose();
    void startPlay(std::int64_t fromTick, std::int64_t toTick, bool notify, bool mute, int countBars);
    void submit(std::shared_ptr<const std::vector<std::uint32_t>> chase = nullptr);
    void postCompletion();
    void onPlayFinished(std::uint64_t playId);
    std::int64_t songEndTick() const { return song_->tempo.stepToTick(song_->lengthSteps()); }
    std::int64_t toUnits(std::int64_t tick) const;
    std::int64_t toTick(std::int64_t value) const;

    Poster poster_;
    std::shared_ptr<MidiSequencer *> self_; // posted calls hold it weakly
    Transport transport_;
    std::unique_ptr<Output> output_;

    struct Retained {
        std::uint64_t seq;
        std::shared_ptr<const Song> song;
        std::shared_ptr<const std::vector<std::uint32_t>> chase;
        std::shared_ptr<const SetupMessages> setup;
    };
    std::vector<Retained> retained_; // what the transport may still read

    std::shared_ptr<const Song> song_;
    TimeFormat format_ = TimeFormat::Steps;
    DeviceMode mode_ = DeviceMode::NotOpen;
    std::int64_t positionTick_ = 0;
    std::uint64_t playId_ = 0, lastPlayId_ = 0, resetId_ = 0, panicId_ = 0;
    std::int64_t panicTick_ = 0;
    std::int64_t playFromTick_ = 0, playToTick_ = 0; // of the running or paused play
    std::uint64_t generation_ = 0;                   // changes when a song is opened or closed
    std::uint64_t notifyPlayId_ = 0;                 // the play whose completion is owed
    bool notifyNext_ = true;
    bool muteNext_ = false;
    bool playMuted_ = false; // the running play sends no note-ons
    bool endArmed_ = false;
    std::int64_t endPosition_ = 0;
    SongAdjust adjust_;
    int error_ = 0;
    std::string errorText_;
    bool lostPending_ = false;
    bool gmReset_ = false;
    std::shared_ptr<const SetupMessages> setupNext_, setup_; // setup_: the open song's
    int countNext_ = 0;
    CountIn playCount_; // of the running play
    bool clickDuringSong_ = false;
    ClickSettings click_;
    std::unique_ptr<PortOutput> clickPort_; // for ClickSettings::Route::Port
    std::unique_ptr<PortOutput> midiClockPort_;
    bool clockLossTold_ = false; // the clock port's loss went to the window
};

} // namespace kazoon::engine
