#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <vector>

namespace kazoon::bench {

// Runs the event loop until done() or the time limit, looking again at
// least every sliceMs.
template <typename F>
bool runUntil(F done, int limitMs, int sliceMs = 5)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, sliceMs);
    }
    return true;
}

// The value below which the fraction p of the values lies (nearest rank).
inline double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

} // namespace kazoon::bench
