#include "player/engine/TempoMap.h"

#include <algorithm>

namespace kazoon::engine {

namespace {
constexpr std::uint32_t kDefaultTempo = 500000; // 120 quarter notes per minute
constexpr std::int64_t kMaxUs = std::int64_t{1} << 60;

std::int64_t saturate(__int128 value) { return value > kMaxUs ? kMaxUs : static_cast<std::int64_t>(value); }
} // namespace

TempoMap::TempoMap(int ppqn, std::vector<TempoChange> changes) : ppqn_(ppqn > 0 ? ppqn : 480)
{
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TempoChange &a, const TempoChange &b) { return a.tick < b.tick; });
    segments_.push_back({0, 0, kDefaultTempo});
    for (const TempoChange &change : changes) {
        const std::uint32_t tempo = std::max<std::uint32_t>(change.microsecondsPerQuarter, 1);
        Segment &last = segments_.back();
        if (change.tick <= last.tick) {
            last.usPerQuarter = tempo;
            continue;
        }
        segments_.push_back({change.tick, tickToUs(change.tick), tempo});
    }
}

std::int64_t TempoMap::tickToUs(std::int64_t tick) const
{
    if (tick <= 0)
        return 0;
    auto it = std::upper_bound(segments_.begin(), segments_.end(), tick,
                               [](std::int64_t t, const Segment &s) { return t < s.tick; });
    const Segment &s = *(it - 1);
    // Rounded up, so that the tick at an event's own time is the event's tick.
    return saturate(s.us + (static_cast<__int128>(tick - s.tick) * s.usPerQuarter + ppqn_ - 1) / ppqn_);
}

std::int64_t TempoMap::usToTick(std::int64_t us) const
{
    if (us <= 0)
        return 0;
    auto it = std::upper_bound(segments_.begin(), segments_.end(), us,
                               [](std::int64_t t, const Segment &s) { return t < s.us; });
    const Segment &s = *(it - 1);
    return saturate(s.tick + static_cast<__int128>(us - s.us) * ppqn_ / s.usPerQuarter);
}

std::uint32_t TempoMap::usPerQuarterAt(std::int64_t tick) const
{
    auto it = std::upper_bound(segments_.begin(), segments_.end(), std::max<std::int64_t>(tick, 0),
                               [](std::int64_t t, const Segment &s) { return t < s.tick; });
    return (it - 1)->usPerQuarter;
}

std::int64_t packSmpte24(std::int64_t us)
{
    us = std::max<std::int64_t>(us, 0);
    const std::int64_t seconds = us / 1'000'000;
    const std::int64_t frames = (us % 1'000'000) * 24 / 1'000'000;
    const std::int64_t hours = std::min<std::int64_t>(seconds / 3600, 255);
    return hours | (seconds / 60 % 60) << 8 | (seconds % 60) << 16 | frames << 24;
}

std::int64_t unpackSmpte24(std::int64_t packed)
{
    const std::int64_t hours = packed & 0xFF;
    const std::int64_t minutes = (packed >> 8) & 0xFF;
    const std::int64_t seconds = (packed >> 16) & 0xFF;
    const std::int64_t frames = (packed >> 24) & 0xFF;
    return ((hours * 60 + minutes) * 60 + seconds) * 1'000'000 + frames * 1'000'000 / 24;
}

} // namespace kazoon::engine
