#pragma once

#include "player/engine/Click.h"

namespace kazoon {

// The click and the count-in as the options set them.
struct ClickOptions {
    engine::ClickSettings click;
    int countBars = 1; // for songs without a count of their own: 0..2

    bool operator==(const ClickOptions &) const = default;
};

} // namespace kazoon
