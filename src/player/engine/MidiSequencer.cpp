#include "player/engine/MidiSequencer.h"

#include "player/engine/Chase.h"

#include <algorithm>
#include <new>
#include <utility>

namespace kazoon::engine {

namespace {
constexpr const char *kInternalText = "MIDIファイルを読み込めません。メモリが足りません。";
}

MidiSequencer::MidiSequencer(std::unique_ptr<Output> output, Poster poster)
    : poster_(poster ? std::move(poster) : [](std::function<void()>) {}),
      self_(std::make_shared<MidiSequencer *>(this)),
      transport_([weak = std::weak_ptr(self_), poster = poster_](std::uint64_t playId) {
          poster([weak, playId] {
              if (auto self = weak.lock())
                  (*self)->onPlayFinished(playId);
          });
      }),
      output_(std::move(output))
{
    output_->attach(&transport_);
}

MidiSequencer::~MidiSequencer()
{
    Close();
    output_->attach(nullptr); // lets the driver send the last silence
    self_.reset();
}

std::unique_ptr<Output> MidiSequencer::setOutput(std::unique_ptr<Output> output)
{
    refresh();
    const bool paused = mode_ == DeviceMode::Paused;
    if (song_)
        halt();
    if (paused)
        mode_ = DeviceMode::Paused; // the next Resume goes on where the pause was
    output_->attach(nullptr);       // the old driver has stopped and sent the silence
    std::unique_ptr<Output> old = std::exchange(output_, std::move(output));
    // A loss reported by the old output is no business of the new one.
    lostPending_ = false;
    error_ = 0;
    errorText_.clear();
    output_->setClickSplit(click_.route == ClickSettings::Route::Split);
    output_->attach(&transport_);
    ++resetId_; // the new output starts from a known state too
    submit();
    return old;
}

void MidiSequencer::requireOpen()
{
    if (!song_) {
        error_ = device_error::NotOpen;
        errorText_ = kNoDeviceText;
        throw DeviceError(kNoDeviceText);
    }
}

void MidiSequencer::beginCommand()
{
    refresh();
    error_ = 0;
    errorText_.clear();
    if (lostPending_) {
        lostPending_ = false;
        error_ = device_error::PortInUse;
        errorText_ = output_->errorText();
    }
}

// Notices a play that the engine has ended on its own.
void MidiSequencer::refresh()
{
    if (mode_ != DeviceMode::Playing)
        return;
    if (auto finish = transport_.finished(playId_)) {
        mode_ = DeviceMode::Stopped;
        positionTick_ = finish->tick;
        if (finish->lost)
            lose();
    } else if (!output_->alive()) {
        // The output died without a failed send: stop where the sound stopped.
        positionTick_ = currentTick();
        mode_ = DeviceMode::Stopped;
        if (notifyPlayId_) {
            postCompletion();
            notifyPlayId_ = 0;
        }
        playId_ = 0;
        submit();
        lose();
    }
}

// The play ended because the output was lost: Error() says so at once, so
// that the window can stop the show, and the next command reports it too.
void MidiSequencer::lose()
{
    lostPending_ = true;
    error_ = device_error::PortInUse;
    errorText_ = output_->errorText();
}

std::int64_t MidiSequencer::currentTick() const
{
    if (mode_ != DeviceMode::Playing)
        return positionTick_;
    const auto us = transport_.songUsAt(playId_, output_->nowUs());
    if (!us)
        return playFromTick_;
    return std::clamp(song_->tempo.usToTick(*us), playFromTick_, playToTick_);
}

// Ends a play or pause: the engine silences what sounds and a completion
// that is owed goes out as aborted.
void MidiSequencer::halt()
{
    refresh();
    if (notifyPlayId_) {
        postCompletion();
        notifyPlayId_ = 0;
    }
    if (mode_ == DeviceMode::Playing) {
        positionTick_ = currentTick();
        playId_ = 0;
        submit();
    }
    mode_ = DeviceMode::Stopped;
}

void MidiSequencer::submit(std::shared_ptr<const std::vector<std::uint32_t>> chase)
{
    PlayRequest request;
    request.playId = playId_;
    request.resetId = resetId_;
    if (playId_) {
        request.song = song_.get();
        request.fromTick = playFromTick_;
        request.toTick = playToTick_;
        request.chase = chase.get();
        request.muteNotes = playMuted_;
        request.countIn = playCount_;
        request.clickDuringSong = clickDuringSong_;
    }
    request.gmReset = gmReset_;
    request.panicId = panicId_;
    request.panicTick = panicTick_;
    request.setup = setup_.get();
    std::uint64_t taken = 0;
    const std::uint64_t seq = transport_.submit(request, &taken);
    const std::uint64_t adopted = transport_.adoptedSeq();
    // The driver reads only what it has taken and not yet replaced; a request
    // it never took is released too, so that songs do not pile up behind an
    // output that never runs (no audio device).
    std::erase_if(retained_, [adopted, taken](const Retained &r) { return r.seq < adopted || r.seq > taken; });
    retained_.push_back({seq, song_, std::move(chase), setup_});
    output_->wake();
}

void MidiSequencer::postCompletion()
{
    poster_([weak = std::weak_ptr(self_), generation = generation_] {
        auto self = weak.lock();
        if (self && (*self)->generation_ == generation)
            (*self)->notifyOwner();
    });
}

void MidiSequencer::onPlayFinished(std::uint64_t playId)
{
    refresh();
    if (notifyPlayId_ != 0 && notifyPlayId_ == playId) {
        notifyPlayId_ = 0;
        notifyOwner();
    }
}

void MidiSequencer::Open(const std::string &fileName)
{
    Close();
    std::shared_ptr<const SetupMessages> setup = std::exchange(setupNext_, nullptr);
    try {
        song_ = std::make_shared<const Song>(loadMidiFile(fileName));
    } catch (const MidiFileError &e) {
        error_ = e.code();
        errorText_ = e.what();
        throw DeviceError(errorText_);
    } catch (const std::bad_alloc &) {
        error_ = device_error::Internal;
        errorText_ = kInternalText;
        throw DeviceError(errorText_);
    }
    ++generation_;
    mode_ = DeviceMode::Stopped;
    format_ = TimeFormat::Steps;
    positionTick_ = 0;
    endArmed_ = false;
    muteNext_ = false;
    countNext_ = 0;
    clickDuringSong_ = false;
    adjust_ = {};
    transport_.setAdjust(adjust_);
    setup_ = std::move(setup);
    ++resetId_;
    submit();
}

void MidiSequencer::Close()
{
    beginCommand();
    if (!song_)
        return;
    halt();
    song_.reset();
    setup_.reset();
    ++generation_;
    mode_ = DeviceMode::NotOpen;
    positionTick_ = 0;
    submit(); // lets go of the song unless the driver holds it
}

std::int64_t MidiSequencer::Length()
{
    requireOpen();
    if (format_ == TimeFormat::Smpte24)
        return packSmpte24(clockUsFor(song_->tempo.tickToUs(songEndTick()), adjust_.tempoPercent));
    return song_->lengthSteps();
}

std::int64_t MidiSequencer::Position()
{
    if (!song_)
        return 0;
    refresh();
    return toUnits(currentTick());
}

DeviceMode MidiSequencer::Mode()
{
    refresh();
    return mode_;
}

void MidiSequencer::Seek(std::int64_t position)
{
    requireOpen();
    beginCommand();
    halt();
    positionTick_ = toTick(position);
}

void MidiSequencer::Play()
{
    requireOpen();
    beginCommand();
    const bool notify = std::exchange(notifyNext_, true);
    const bool mute = std::exchange(muteNext_, false);
    const int count = std::exchange(countNext_, 0);
    std::int64_t to = songEndTick();
    if (std::exchange(endArmed_, false))
        to = toTick(endPosition_);
    halt();
    startPlay(positionTick_, to, notify, mute, mute ? 0 : count);
}

void MidiSequencer::startPlay(std::int64_t fromTick, std::int64_t toTick, bool notify, bool mute, int countBars)
{
    const bool wasDown = output_->error() != 0;
    if (!output_->recover()) {
        error_ = device_error::PortInUse;
        errorText_ = output_->errorText();
        if (notify)
            postCompletion();
        return;
    }
    // A clock port that is not there costs the clock only; the song plays
    // and TakeMidiClockLoss says so.
    if (midiClockPort_ && !mute)
        midiClockPort_->recover();
    error_ = 0; // a port that is back supersedes the report of its loss
    errorText_.clear();
    if (setup_ && (wasDown || transport_.setupLost(resetId_)))
        ++resetId_; // the instruments behind it missed the set-up

    if (fromTick >= toTick) {
        // Nothing to play: at the end already, or an end position behind us.
        positionTick_ = std::max(fromTick, std::min(toTick, songEndTick()));
        if (notify)
            postCompletion();
        return;
    }
    playId_ = ++lastPlayId_;
    playFromTick_ = fromTick;
    playToTick_ = toTick;
    playMuted_ = mute;
    // Planned here, so that the driver's thread never searches the song.
    playCount_ = countBars > 0 ? planCountIn(*song_, fromTick, toTick, countBars) : CountIn{};
    mode_ = DeviceMode::Playing;
    std::shared_ptr<const std::vector<std::uint32_t>> chase;
    if (fromTick > 0)
        chase = std::make_shared<const std::vector<std::uint32_t>>(chaseEvents(*song_, fromTick));
    if (notify)
        notifyPlayId_ = playId_;
    submit(std::move(chase));
}

void MidiSequencer::Stop()
{
    requireOpen();
    beginCommand();
    halt();
}

void MidiSequencer::Pause()
{
    requireOpen();
    refresh();
    if (mode_ == DeviceMode::Paused) {
        Resume();
        return;
    }
    beginCommand();
    if (mode_ == DeviceMode::Playing) {
        halt();
        mode_ = DeviceMode::Paused;
    }
}

void MidiSequencer::Resume()
{
    requireOpen();
    muteNext_ = false; // a resumed song sounds
    refresh();
    if (mode_ == DeviceMode::Stopped) {
        Play(); // a stopped song cannot resume: it starts
        return;
    }
    countNext_ = 0; // a pause goes on where it was, without a count
    beginCommand();
    const bool notify = std::exchange(notifyNext_, true);
    if (mode_ == DeviceMode::Playing) {
        // Already playing: the new notification supersedes an owed one.
        if (notify) {
            if (notifyPlayId_)
                postCompletion();
            notifyPlayId_ = playId_;
        }
        return;
    }
    const std::int64_t to = playToTick_;
    halt();
    startPlay(positionTick_, to, notify, false, 0);
}

void MidiSequencer::SetAdjust(const SongAdjust &adjust)
{
    if (!song_)
        return;
    adjust_ = adjust.clamped();
    transport_.setAdjust(adjust_);
    output_->wake();
}

void MidiSequencer::Panic()
{
    refresh();
    ++panicId_;
    std::shared_ptr<const std::vector<std::uint32_t>> state;
    if (mode_ == DeviceMode::Playing) {
        // The channels' state where the play is now, put back after the silence.
        panicTick_ = currentTick();
        try {
            state = std::make_shared<const std::vector<std::uint32_t>>(chaseEvents(*song_, panicTick_));
        } catch (const std::bad_alloc &) {
            // The silence matters more: the song's next controllers bring its state back.
        }
    }
    submit(std::move(state));
}

void MidiSequencer::ReplaceSetup(std::shared_ptr<const SetupMessages> setup)
{
    refresh();
    if (!song_ || mode_ == DeviceMode::Playing || mode_ == DeviceMode::Paused)
        return;
    setup_ = std::move(setup);
    ++resetId_; // the channels from a known state, then the new set-up
    submit();
}

void MidiSequencer::SetClick(const ClickSettings &click)
{
    const bool wantPort = click.route == ClickSettings::Route::Port && !click.port.empty();
    if (wantPort ? !clickPort_ || clickPort_->portName() != click.port : clickPort_ != nullptr) {
        // The driver lets go of the transport while the click's port changes.
        output_->attach(nullptr);
        std::unique_ptr<PortOutput> old = std::move(clickPort_);
        if (wantPort)
            clickPort_ = std::make_unique<PortOutput>(click.port);
        transport_.setClickPort(clickPort_ ? &clickPort_->sink() : nullptr);
        output_->attach(&transport_);
    }
    click_ = click;
    transport_.setClick(click);
    output_->setClickSplit(click.route == ClickSettings::Route::Split);
    output_->wake();
}

void MidiSequencer::SetMidiClockPort(const std::string &port)
{
    if (port.empty() ? !midiClockPort_ : midiClockPort_ && midiClockPort_->portName() == port)
        return;
    // The driver lets go of the transport while the clock's port changes; a
    // play goes on, its clock stopped on the old port.
    output_->attach(nullptr);
    transport_.setMidiClockPort(nullptr);
    std::unique_ptr<PortOutput> old = std::exchange(midiClockPort_, nullptr);
    if (!port.empty())
        midiClockPort_ = std::make_unique<PortOutput>(port);
    transport_.setMidiClockPort(midiClockPort_ ? &midiClockPort_->sink() : nullptr);
    output_->attach(&transport_);
    output_->wake();
}

std::string MidiSequencer::TakeMidiClockLoss()
{
    const bool failed = transport_.takeMidiClockLost();
    if (!failed && (!midiClockPort_ || midiClockPort_->alive())) {
        clockLossTold_ = false;
        return {};
    }
    if (clockLossTold_)
        return {};
    clockLossTold_ = true;
    if (midiClockPort_ && !midiClockPort_->errorText().empty())
        return midiClockPort_->errorText();
    return "MIDIクロックを送れませんでした。";
}

void MidiSequencer::setMidiClockSink(MidiSink *sink)
{
    output_->attach(nullptr);
    midiClockPort_.reset();
    transport_.setMidiClockPort(sink);
    output_->attach(&transport_);
    output_->wake();
}

void MidiSequencer::SetEndPosition(std::int64_t position)
{
    endPosition_ = position;
    endArmed_ = true;
}

std::string MidiSequencer::ErrorText() const
{
    if (error_ == 0)
        return {};
    return errorText_.empty() ? kUnknownErrorText : errorText_;
}

std::int64_t MidiSequencer::toUnits(std::int64_t tick) const
{
    if (format_ == TimeFormat::Smpte24)
        return packSmpte24(clockUsFor(song_->tempo.tickToUs(tick), adjust_.tempoPercent));
    return std::min(song_->tempo.tickToStep(tick), song_->lengthSteps());
}

std::int64_t MidiSequencer::toTick(std::int64_t value) const
{
    const std::int64_t tick = format_ == TimeFormat::Smpte24
                                  ? song_->tempo.usToTick(songUsFor(unpackSmpte24(value), adjust_.tempoPercent))
                                  : song_->tempo.stepToTick(std::clamp<std::int64_t>(value, 0, song_->lengthSteps()));
    return std::clamp<std::int64_t>(tick, 0, songEndTick());
}

} // namespace kazoon::engine
