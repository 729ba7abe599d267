#include "player/engine/MidiClock.h"

#include "player/engine/Click.h"
#include "player/engine/MidiFile.h"

#include <algorithm>

namespace kazoon::engine {

std::int64_t MidiClock::clockSongUs(const Song &song, std::int64_t n)
{
    // Clock n stands at tick n * ppqn / 24, between two ticks when the
    // resolution is not a multiple of 24; the tempo is the one at the tick before.
    const std::int64_t ppqn = song.tempo.ppqn();
    const std::int64_t scaled = n * ppqn;
    const std::int64_t tick = scaled / kClocksPerQuarter;
    const std::int64_t rest = scaled % kClocksPerQuarter;
    return song.tempo.tickToUs(tick) + rest * song.tempo.usPerQuarterAt(tick) / (kClocksPerQuarter * ppqn);
}

MidiClock::Message MidiClock::songPosition(std::int64_t sixteenths)
{
    const auto s = static_cast<std::uint16_t>(std::clamp<std::int64_t>(sixteenths, 0, kMaxSongPosition));
    return {{kSongPosition, std::uint8_t(s & 0x7F), std::uint8_t(s >> 7 & 0x7F)}, 3};
}

void MidiClock::begin(const Song &song, std::int64_t fromTick, std::int64_t toTick, const CountIn &count)
{
    song_ = &song;
    running_ = false;
    fromTop_ = fromTick <= 0;
    sixteenth_ = song.tempo.tickToStepCeil(std::max<std::int64_t>(fromTick, 0));
    next_ = sixteenth_ * (kClocksPerQuarter / 4);
    firstSongUs_ = clockSongUs(song, next_);
    nextSongUs_ = firstSongUs_;
    endSongUs_ = song.tempo.tickToUs(std::max(toTick, fromTick));
    preRoll_ = 0;
    countQuarterUs_ = count.usPerQuarter;
    if (count.beats > 0 && countQuarterUs_ > 0) {
        // Whole clocks of the count's tempo back from the song's first, as far as the first count.
        const std::int64_t span = firstSongUs_ - count.clickSongUs(0);
        preRoll_ = std::max<std::int64_t>((span * kClocksPerQuarter + countQuarterUs_ / 2) / countQuarterUs_, 0);
    }
    phase_ = fromTop_ ? (preRoll_ > 0 ? Phase::PreRoll : Phase::Start) : Phase::Position;
    // Further in than a position can tell, the receiver gets the tempo but
    // stays stopped rather than play from a wrong place.
    if (!fromTop_ && sixteenth_ > kMaxSongPosition)
        phase_ = Phase::Song;
}

bool MidiClock::due(std::int64_t &songUs) const
{
    switch (phase_) {
    case Phase::Idle:
        return false;
    case Phase::Position:
    case Phase::PreRoll:
        songUs = firstSongUs_ - preRoll_ * countQuarterUs_ / kClocksPerQuarter;
        return true;
    case Phase::Start:
        songUs = firstSongUs_;
        return firstSongUs_ < endSongUs_;
    case Phase::Song:
        songUs = nextSongUs_;
        return nextSongUs_ < endSongUs_;
    }
    return false;
}

MidiClock::Message MidiClock::take()
{
    switch (phase_) {
    case Phase::Idle:
        break;
    case Phase::Position:
        // Told while the receiver stands, before the count, so it can find its place.
        phase_ = preRoll_ > 0 ? Phase::PreRoll : Phase::Start;
        return songPosition(sixteenth_);
    case Phase::PreRoll:
        if (--preRoll_ == 0)
            phase_ = Phase::Start;
        return {{kTimingClock}, 1};
    case Phase::Start:
        phase_ = Phase::Song;
        running_ = true;
        return {{fromTop_ ? kClockStart : kClockContinue}, 1};
    case Phase::Song:
        nextSongUs_ = clockSongUs(*song_, ++next_);
        return {{kTimingClock}, 1};
    }
    return {};
}

} // namespace kazoon::engine
