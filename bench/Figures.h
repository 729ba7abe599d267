#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace kazoon::bench {

// One figure a line, "name=value", as scripts/bench.sh collects them.
inline void print(const char *name, double value) { std::printf("%s=%.1f\n", name, value); }

// The value below which the fraction p of the values lies (nearest rank).
inline double percentile(std::vector<std::int64_t> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return static_cast<double>(values[index]);
}

} // namespace kazoon::bench
