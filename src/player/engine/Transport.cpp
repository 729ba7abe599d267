#include "player/engine/Transport.h"

#include <algorithm>
#include <limits>

namespace kazoon::engine {

namespace {
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
// How long a click sent as a note is held (less when the next click comes sooner).
constexpr std::int64_t kClickNoteUs = 50'000;

// A bank select or a program change: what chooses a channel's sound.
bool choosesVoice(std::span<const std::uint8_t> m)
{
    return m.size() >= 2 && ((m[0] & 0xF0) == 0xC0 || ((m[0] & 0xF0) == 0xB0 && (m[1] == 0 || m[1] == 32)));
}
} // namespace

void Transport::setClickPort(MidiSink *port) { clickPort_ = port; }

void Transport::setMidiClockPort(MidiSink *port)
{
    if (port != midiClockPort_)
        stopMidiClock(cycleNowUs_); // a play goes on without a clock
    midiClockPort_ = port;
}

std::uint64_t Transport::submit(const PlayRequest &request, std::uint64_t *taken)
{
    std::lock_guard lock(mutex_);
    pending_ = request;
    const std::uint64_t seq = ++pendingSeq_;
    if (taken)
        *taken = takenSeq_;
    submittedSeq_.store(seq, std::memory_order_release);
    return seq;
}

std::optional<std::int64_t> Transport::startedAt(std::uint64_t playId) const
{
    if (startedPlayId_.load(std::memory_order_acquire) != playId)
        return std::nullopt;
    return startedOriginUs_.load(std::memory_order_relaxed);
}

std::optional<Transport::Finish> Transport::finished(std::uint64_t playId) const
{
    if (finishedPlayId_.load(std::memory_order_acquire) != playId)
        return std::nullopt;
    return Finish{finishedTick_.load(std::memory_order_relaxed), finishedLost_.load(std::memory_order_relaxed)};
}

std::optional<std::int64_t> Transport::songUsAt(std::uint64_t playId, std::int64_t clockUs) const
{
    const TempoAnchor::Point p = anchor_.read();
    if (p.playId != playId || playId == 0)
        return std::nullopt;
    return p.songUs + songUsFor(std::max<std::int64_t>(clockUs - p.clockUs, 0), p.tempoPercent);
}

void Transport::cycle(std::int64_t nowUs, std::int64_t untilUs, MidiSink &sink)
{
    sink_ = &sink;
    cycleNowUs_ = nowUs;
    const std::uint64_t seq = submittedSeq_.load(std::memory_order_acquire);
    // Read after the request, so that a setting made before a play is there for its start.
    if (const std::uint32_t adjust = adjustWanted_.load(std::memory_order_acquire); adjust != adjuster_.adjust().pack())
        retune(SongAdjust::unpack(adjust), nowUs);
    if (const std::uint32_t click = clickWanted_.load(std::memory_order_acquire); click != click_.pack())
        click_ = ClickSettings::unpack(click);
    if (seq != adoptedSeq_.load(std::memory_order_relaxed)) {
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (lock.owns_lock()) {
            const PlayRequest request = pending_;
            const std::uint64_t adopted = pendingSeq_;
            takenSeq_ = adopted;
            lock.unlock();
            adopt(request, nowUs);
            adoptedSeq_.store(adopted, std::memory_order_release);
        }
    }
    if (setupPending_ && settledUs_ < untilUs)
        sendSetup(std::max(nowUs, settledUs_));
    if (waiting_ && settledUs_ < untilUs) {
        waiting_ = false;
        begin(current_, std::max(nowUs, settledUs_));
    }
    while (playing_) {
        const bool songDue = cursor_ < current_.song->events.size() && current_.song->events[cursor_].tick < stopTick_;
        const std::int64_t songAt = songDue ? eventTime(current_.song->events[cursor_]) : kNever;
        const std::int64_t clickAt = nextClickUs();
        const std::int64_t offAt = clickOff_ ? clickOff_->atUs : kNever;
        if (const std::int64_t tickAt = nextMidiClockUs();
            tickAt < untilUs && tickAt <= std::min({offAt, clickAt, songAt})) {
            sendMidiClock();
            continue;
        }
        if (offAt < untilUs && offAt <= clickAt && offAt <= songAt) {
            clickOff(offAt);
            continue;
        }
        if (clickAt < untilUs && clickAt <= songAt) {
            if (!sendClick()) {
                finish(current_.fromTick, true);
                break;
            }
            continue;
        }
        if (songDue) {
            if (songAt >= untilUs)
                break;
            const SongEvent &e = current_.song->events[cursor_];
            ++cursor_;
            const std::span<const std::uint8_t> m = current_.song->message(e);
            if (current_.muteNotes && m.size() >= 3 && (m[0] & 0xF0) == 0x90 && m[2] != 0)
                continue;
            if (!sendSong(m, songAt)) {
                finish(e.tick, true);
                break;
            }
            continue;
        }
        if (endUs_ < untilUs) {
            silence(endUs_);
            stopMidiClock(endUs_);
            finish(current_.toTick, false);
        }
        break;
    }
}

std::int64_t Transport::nextDueUs() const
{
    if (waiting_ || setupPending_)
        return settledUs_;
    if (!playing_)
        return kNever;
    std::int64_t next = std::min({endUs_, nextClickUs(), nextMidiClockUs()});
    if (clickOff_)
        next = std::min(next, clickOff_->atUs);
    if (cursor_ < current_.song->events.size() && current_.song->events[cursor_].tick < stopTick_)
        next = std::min(next, eventTime(current_.song->events[cursor_]));
    return next;
}

bool Transport::clicking() const
{
    if (current_.muteNotes)
        return false;
    switch (click_.route) {
    case ClickSettings::Route::Off:
        return false;
    case ClickSettings::Route::Mix:
        return true;
    case ClickSettings::Route::Split:
        return sink_ && sink_->soundsClicks(); // elsewhere no click may reach the audience
    case ClickSettings::Route::Port:
        return clickPort_ != nullptr;
    }
    return false;
}

std::int64_t Transport::nextClickUs() const
{
    if (!playing_ || !clicking())
        return kNever;
    if (countDone_ < count_.beats)
        return clockAt(count_.clickSongUs(countDone_));
    if (songClicks_ && beats_.tick() < std::min(stopTick_, current_.toTick))
        return clockAt(current_.song->tempo.tickToUs(beats_.tick()));
    return kNever;
}

bool Transport::sendClick()
{
    const std::int64_t at = nextClickUs();
    const bool counting = countDone_ < count_.beats;
    const bool accent = (counting ? count_.accent(countDone_) : beats_.accent()) && click_.accent;
    if (counting)
        ++countDone_;
    else
        beats_.next();
    if (clickOff_)
        clickOff(at);
    MidiSink *port = nullptr;
    switch (click_.route) {
    case ClickSettings::Route::Off:
        return true;
    case ClickSettings::Route::Mix:
    case ClickSettings::Route::Split:
        if (sink_->soundsClicks()) {
            sink_->soundClick(accent, click_.level, at);
            return true;
        }
        if (click_.route == ClickSettings::Route::Split)
            return true;
        break;
    case ClickSettings::Route::Port:
        port = clickPort_;
        break;
    }
    const std::array<std::uint8_t, 3> on = clickNoteOn(click_, accent);
    if (on[2] == 0)
        return true;
    clickOff_ = ClickOff{at + kClickNoteUs, {std::uint8_t(0x80 | (on[0] & 0x0F)), on[1], 0}, port};
    if (port) {
        port->send(on, at); // a click port that fails leaves the song playing
        return true;
    }
    return sendOut(on, at);
}

void Transport::clickOff(std::int64_t timeUs)
{
    const ClickOff off = *clickOff_;
    clickOff_.reset();
    if (off.port)
        off.port->send(off.bytes, timeUs);
    else
        sendOut(off.bytes, timeUs);
}

std::int64_t Transport::nextMidiClockUs() const
{
    std::int64_t songUs = 0;
    if (!playing_ || !midiClockPort_ || !midiClock_.due(songUs))
        return kNever;
    return clockAt(songUs);
}

void Transport::sendMidiClock()
{
    const std::int64_t at = nextMidiClockUs();
    if (!midiClockPort_->send(midiClock_.take().span(), at)) {
        // A clock port that is gone takes only the clock with it: the band
        // still has its backing, and the window says what was lost.
        midiClock_.clear();
        midiClock_.takeStop();
        midiClockLost_.store(true, std::memory_order_relaxed);
    }
}

void Transport::stopMidiClock(std::int64_t timeUs)
{
    midiClock_.clear();
    if (midiClock_.takeStop() && midiClockPort_)
        midiClockPort_->send(std::span<const std::uint8_t>(&kClockStop, 1), timeUs);
}

void Transport::adopt(const PlayRequest &request, std::int64_t nowUs)
{
    const bool newReset = request.resetId != current_.resetId;
    const bool newPlay = request.playId != current_.playId;
    const bool newPanic = request.panicId != current_.panicId;
    if (newPlay || newReset) {
        stopMidiClock(nowUs);
        playing_ = false;
        waiting_ = false;
        silence(nowUs);
    }
    if (newPanic)
        panic(nowUs);
    if (newReset) {
        setupPending_ = request.setup != nullptr;
        setupVoices_ = voiceChanged_ = 0;
    }
    if (newReset && request.setupOnly) {
        settledUs_ = nowUs;
    } else if (newReset && request.gmReset) {
        // The module resets every channel itself; anything sent while it is
        // busy with that may be lost, so the play waits.
        sendOut(kGmSystemOn, nowUs);
        adjuster_.moduleReset();
        active_ = touched_ = 0;
        for (Channel &c : channels_)
            c = Channel{};
        settledUs_ = nowUs + kGmResetSettleUs;
    } else if (newReset) {
        resetChannels(0xFFFF, nowUs);
        settledUs_ = nowUs; // a new output's clock may start anywhere
    }
    current_ = request;
    if (setupPending_ && nowUs >= settledUs_)
        sendSetup(nowUs);
    if (request.playId != 0 && newPlay && request.song)
        start(request, nowUs);
    else if (newPanic && playing_)
        restore(request, nowUs);
}

void Transport::start(const PlayRequest &request, std::int64_t nowUs)
{
    if (nowUs < settledUs_) {
        waiting_ = true;
        return;
    }
    begin(request, nowUs);
}

void Transport::begin(const PlayRequest &request, std::int64_t nowUs)
{
    const Song &song = *request.song;
    // Whatever an earlier play left in the channels must not colour this one;
    // what the set-up chose stays.
    const std::uint16_t used = touched_;
    bool ok = resetChannels(used, nowUs, setupVoices_ & ~voiceChanged_);
    if (request.setup)
        ok = restoreSetup(*request.setup, used, nowUs) && ok;
    // After a reset of the module itself the song's own level is not there yet.
    ok = adjuster_.volumes([&](std::span<const std::uint8_t> m) { return sendOut(m, nowUs); }) && ok;
    if (request.chase)
        for (std::uint32_t i : *request.chase)
            ok = sendSong(song.message(song.events[i]), nowUs) && ok;
    cursor_ = static_cast<std::size_t>(
        std::lower_bound(song.events.begin(), song.events.end(), request.fromTick,
                         [](const SongEvent &e, std::int64_t t) { return e.tick < t; }) -
        song.events.begin());
    // At the end of the song everything left plays, including the note-offs on its last tick.
    stopTick_ = request.toTick >= song.endTick ? kNever : request.toTick;
    baseUs_ = song.tempo.tickToUs(request.fromTick);
    const int tempo = adjuster_.adjust().tempoPercent;
    // The count runs over the rests before the first note; the song waits
    // only for what they do not cover.
    count_ = {};
    countDone_ = 0;
    std::int64_t waitUs = 0;
    if (request.countIn.beats > 0 && clicking()) {
        count_ = request.countIn;
        const std::int64_t rests = count_.firstSongUs - baseUs_;
        waitUs = clockUsFor(std::max<std::int64_t>(count_.beats * count_.beatSongUs - rests, 0), tempo);
    }
    songClicks_ = request.clickDuringSong;
    midiClock_.clear();
    if (!request.muteNotes) // a standby run goes unheard: no receiver may play along
        midiClock_.begin(song, request.fromTick, request.toTick, count_);
    beats_.start(song, request.fromTick);
    originUs_ = nowUs + waitUs;
    endUs_ = originUs_ + clockUsFor(song.tempo.tickToUs(std::max(request.toTick, request.fromTick)) - baseUs_, tempo);
    anchor_.publish({request.playId, originUs_, baseUs_, tempo});
    playing_ = true;
    startedOriginUs_.store(originUs_, std::memory_order_relaxed);
    startedPlayId_.store(request.playId, std::memory_order_release);
    if (!ok)
        finish(request.fromTick, true);
}

void Transport::sendSetup(std::int64_t timeUs)
{
    setupPending_ = false;
    if (!current_.setup)
        return;
    const std::uint16_t touched = touched_;
    bool ok = true;
    for (const auto &m : current_.setup->messages)
        ok = sendSong(m, timeUs) && ok;
    if (!ok)
        setupLostResetId_.store(current_.resetId);
    // The set-up is where each start begins, not something a start undoes.
    touched_ = touched;
    setupVoices_ = current_.setup->voices;
    voiceChanged_ = 0;
}

// After a start's reset: the set-up's controllers again, and its bank and
// program where the song has chosen another.
bool Transport::restoreSetup(const SetupMessages &setup, std::uint16_t mask, std::int64_t timeUs)
{
    bool ok = true;
    for (int ch = 0; ch < 16; ++ch) {
        if (!(mask & (1u << ch)))
            continue;
        const bool voice = voiceChanged_ & (1u << ch);
        for (const auto &m : setup.channelMessages[static_cast<std::size_t>(ch)]) {
            if (voice || !choosesVoice(m))
                ok = sendSong(m, timeUs) && ok;
        }
    }
    voiceChanged_ &= ~mask;
    touched_ &= ~mask;
    return ok;
}

void Transport::finish(std::int64_t tick, bool lost)
{
    stopMidiClock(cycleNowUs_);
    playing_ = false;
    finishedTick_.store(tick, std::memory_order_relaxed);
    finishedLost_.store(lost, std::memory_order_relaxed);
    finishedPlayId_.store(current_.playId, std::memory_order_release);
    if (onFinish_)
        onFinish_(current_.playId);
}

bool Transport::sendOut(std::span<const std::uint8_t> m, std::int64_t timeUs)
{
    const std::uint8_t status = m[0];
    if (status >= 0x80 && status < 0xF0 && m.size() >= 2 && m[1] < 0x80) {
        const int ch = status & 0x0F;
        Channel &c = channels_[ch];
        active_ |= 1u << ch;
        touched_ |= 1u << ch;
        switch (status & 0xF0) {
        case 0x90:
            if (m.size() >= 3 && m[2] != 0) {
                if (c.sounding[m[1]] < 255)
                    ++c.sounding[m[1]];
                break;
            }
            [[fallthrough]];
        case 0x80:
            if (c.sounding[m[1]] > 0)
                --c.sounding[m[1]];
            break;
        case 0xB0:
            if (m.size() >= 3 && (m[1] == 120 || m[1] == 123))
                c.sounding.fill(0);
            if (m[1] == 121)
                c.bent = false;
            break;
        case 0xE0:
            c.bent = m.size() >= 3 && (m[1] != 0 || m[2] != 0x40);
            break;
        default:
            break;
        }
    }
    return sink_->send(m, timeUs);
}

bool Transport::sendSong(std::span<const std::uint8_t> m, std::int64_t timeUs)
{
    if (choosesVoice(m))
        voiceChanged_ |= std::uint16_t(1u << (m[0] & 0x0F));
    const SongAdjuster::Out out = adjuster_.song(m);
    if (out.original && m[0] == 0xF0) {
        // A reset in the song puts the module's own level back: the song's follows.
        const bool sent = sendOut(m, timeUs);
        return adjuster_.volumes([&](std::span<const std::uint8_t> v) { return sendOut(v, timeUs); }) && sent;
    }
    if (out.original)
        return sendOut(m, timeUs);
    bool ok = true;
    for (int i = 0; i < out.count; ++i)
        for (int n = 0; n < out.times[i]; ++n)
            ok = sendOut(out.bytes[i], timeUs) && ok;
    return ok;
}

// A new key takes the next notes; a new tempo goes on from where the song is
// now; a new level goes out to every channel at once.
void Transport::retune(const SongAdjust &adjust, std::int64_t nowUs)
{
    if (playing_) {
        // During a count-in the song's start is still ahead: the wait follows the tempo too.
        const int old = adjuster_.adjust().tempoPercent;
        baseUs_ += songUsFor(nowUs - originUs_, old);
        originUs_ = nowUs;
        const std::int64_t endSongUs =
            current_.song->tempo.tickToUs(std::max(current_.toTick, current_.fromTick));
        endUs_ = nowUs + clockUsFor(std::max<std::int64_t>(endSongUs - baseUs_, 0), adjust.tempoPercent);
        anchor_.publish({current_.playId, originUs_, baseUs_, adjust.tempoPercent});
    }
    adjuster_.set(adjust);
    adjuster_.volumes([&](std::span<const std::uint8_t> m) { return sendOut(m, nowUs); });
}

bool Transport::silence(std::int64_t timeUs)
{
    bool ok = true;
    if (clickOff_ && clickOff_->port)
        clickOff(timeUs);
    clickOff_.reset(); // a click on the output's own channels is among the sounding notes
    for (int ch = 0; ch < 16; ++ch) {
        Channel &c = channels_[ch];
        for (int note = 0; note < 128; ++note) {
            while (c.sounding[note] > 0) {
                const std::uint8_t off[] = {static_cast<std::uint8_t>(0x80 | ch), static_cast<std::uint8_t>(note), 0};
                ok = sendOut(off, timeUs) && ok;
            }
        }
    }
    for (int ch = 0; ch < 16; ++ch) {
        if (!(active_ & (1u << ch)))
            continue;
        const std::uint8_t cc = static_cast<std::uint8_t>(0xB0 | ch);
        const std::uint8_t sustainOff[] = {cc, 64, 0};
        const std::uint8_t sostenutoOff[] = {cc, 66, 0}; // it holds notes through all notes off too
        const std::uint8_t notesOff[] = {cc, 123, 0};
        ok = sendOut(sustainOff, timeUs) && ok;
        ok = sendOut(sostenutoOff, timeUs) && ok;
        ok = sendOut(notesOff, timeUs) && ok;
        if (channels_[ch].bent) {
            const std::uint8_t centre[] = {static_cast<std::uint8_t>(0xE0 | ch), 0, 0x40};
            ok = sendOut(centre, timeUs) && ok;
        }
    }
    active_ = 0;
    adjuster_.forgetNotes();
    return ok;
}

// Every channel, used or not: a module may hold notes the engine never sent
// or lost track of (a cable pulled and put back, another program before us).
void Transport::panic(std::int64_t timeUs)
{
    silence(timeUs);
    for (int ch = 0; ch < 16; ++ch)
        for (const auto &m : panicMessages(ch))
            sendOut(m, timeUs);
    if (clickPort_) // the click's own port is an output of the show too
        for (int ch = 0; ch < 16; ++ch)
            for (const auto &m : panicMessages(ch))
                clickPort_->send(m, timeUs);
    for (Channel &c : channels_)
        c = Channel{};
    active_ = 0;
    touched_ = 0xFFFF; // controllers changed: the next play starts from a reset
    adjuster_.forgetNotes();
}

// The chase list holds the state up to panicTick; what the play sent after
// that, notes aside, follows in its order.
void Transport::restore(const PlayRequest &request, std::int64_t timeUs)
{
    const Song &song = *request.song;
    if (request.chase)
        for (std::uint32_t i : *request.chase)
            if (i < cursor_)
                sendSong(song.message(song.events[i]), timeUs);
    const auto from = static_cast<std::size_t>(
        std::lower_bound(song.events.begin(), song.events.end(), request.panicTick,
                         [](const SongEvent &e, std::int64_t t) { return e.tick < t; }) -
        song.events.begin());
    for (std::size_t i = from; i < cursor_; ++i) {
        const SongEvent &e = song.events[i];
        const std::span<const std::uint8_t> m = song.message(e);
        const std::uint8_t kind = e.escape ? 0xF0 : m[0] & 0xF0;
        if (kind != 0x80 && kind != 0x90 && kind != 0xA0)
            sendSong(m, timeUs);
    }
}

bool Transport::resetChannels(std::uint16_t mask, std::int64_t timeUs, std::uint16_t keepVoices)
{
    bool ok = true;
    for (int ch = 0; ch < 16; ++ch) {
        if (!(mask & (1u << ch)))
            continue;
        const std::uint8_t cc = static_cast<std::uint8_t>(0xB0 | ch);
        const std::uint8_t messages[][3] = {
            {cc, 121, 0},  // reset all controllers
            {cc, 64, 0},   // sustain off
            {cc, 123, 0},  // all notes off
            {static_cast<std::uint8_t>(0xE0 | ch), 0, 0x40},
            {cc, 0, 0},    // bank select
            {cc, 32, 0},
            {static_cast<std::uint8_t>(0xC0 | ch), 0, 0},
            {cc, 7, adjuster_.reset(ch)}, // volume and pan, which reset all controllers leaves alone
            {cc, 10, 64},
        };
        const bool keepVoice = keepVoices & (1u << ch);
        for (const auto &m : messages) {
            if (keepVoice && choosesVoice(m))
                continue;
            const std::size_t size = (m[0] & 0xF0) == 0xC0 ? 2 : 3;
            ok = sendOut({m, size}, timeUs) && ok;
        }
    }
    active_ &= ~mask;
    touched_ &= ~mask;
    return ok;
}

} // namespace kazoon::engine
