#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kazoon::engine {

class MidiSink;
class Transport;

// Drives a transport for outputs without an audio clock. In real time a thread
// sleeps to the absolute deadline of the next event on the monotonic clock
// (SCHED_FIFO when the system allows it); by hand a test moves the clock and
// every due event goes out at its own time.
class Driver {
public:
    enum class Mode { RealTime, Manual };
    Driver(MidiSink &sink, Mode mode) : sink_(sink), mode_(mode) {}
    ~Driver() { attach(nullptr); }
    Driver(const Driver &) = delete;
    Driver &operator=(const Driver &) = delete;

    void attach(Transport *transport);
    Transport *transport() const { return transport_; }
    std::int64_t nowUs() const;
    void wake();
    bool realTimePriority() const { return realTimePriority_.load(); }

    // By hand only: moves the clock forward to us, sending everything due on the way.
    void advanceTo(std::int64_t us);

private:
    void run();

    MidiSink &sink_;
    const Mode mode_;
    Transport *transport_ = nullptr;
    std::atomic<std::int64_t> manualNowUs_{0};
    std::thread thread_;
    std::mutex wakeMutex_;
    std::condition_variable wakeCondition_;
    bool woken_ = false;
    bool quit_ = false;
    std::atomic<bool> realTimePriority_{false};
};

} // namespace kazoon::engine
