#pragma once

#include <QString>
#include <climits>
#include <cstdint>
#include <optional>

namespace kazoon::player {

// What the step display shows, kept as a value for the rules that go by it.
// A song's steps count from 1 (position + 1), but position 0 holds two stops:
// step 0, the top of a song not yet played, and step 1. Blank while no song
// is loaded.
class StepDisplay {
public:
    StepDisplay() = default;
    static StepDisplay showing(int step)
    {
        StepDisplay d;
        d.step_ = step;
        return d;
    }
    // stepOneAtZero: position 0 shows step 1 rather than step 0.
    static StepDisplay at(std::int64_t position, bool stepOneAtZero = false)
    {
        if (position == 0)
            return showing(stepOneAtZero ? 1 : 0);
        return showing(position >= INT_MAX ? INT_MAX : int(position + 1));
    }

    std::optional<int> step() const { return step_; }
    bool shows(int step) const { return step_ == step; }
    QString text() const { return step_ ? QString::number(*step_) : QString(); }

    bool operator==(const StepDisplay &) const = default;

private:
    std::optional<int> step_;
};

} // namespace kazoon::player
