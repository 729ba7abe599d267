#pragma once

#include <cstdint>
#include <vector>

namespace kazoon::engine {

struct TempoChange {
    std::int64_t tick;
    std::uint32_t microsecondsPerQuarter;
};

// Converts between ticks, microseconds and steps (one step = a sixteenth note
// = PPQN / 4 ticks; for a PPQN not divisible by 4 step s starts at the first
// tick at or after s * PPQN / 4).
class TempoMap {
public:
    TempoMap() : TempoMap(480, {}) {}
    // Changes in file order; at equal ticks the last one wins.
    TempoMap(int ppqn, std::vector<TempoChange> changes);

    int ppqn() const { return ppqn_; }
    std::int64_t tickToUs(std::int64_t tick) const;
    // The last tick whose time is at or before us.
    std::int64_t usToTick(std::int64_t us) const;
    // The tempo in force at a tick.
    std::uint32_t usPerQuarterAt(std::int64_t tick) const;

    std::int64_t tickToStep(std::int64_t tick) const { return tick * 4 / ppqn_; }
    std::int64_t tickToStepCeil(std::int64_t tick) const { return (tick * 4 + ppqn_ - 1) / ppqn_; }
    std::int64_t stepToTick(std::int64_t step) const { return (step * ppqn_ + 3) / 4; }

private:
    struct Segment {
        std::int64_t tick;
        std::int64_t us;
        std::uint32_t usPerQuarter;
    };
    int ppqn_;
    std::vector<Segment> segments_;
};

// SMPTE 24 packed as byte 0 hours, 1 minutes, 2 seconds, 3 frames.
std::int64_t packSmpte24(std::int64_t us);
std::int64_t unpackSmpte24(std::int64_t packed);

} // namespace kazoon::engine
