#include "player/engine/Driver.h"

#include "platform/Threads.h"
#include "player/engine/Transport.h"

#include <algorithm>
#include <chrono>

namespace kazoon::engine {

namespace {
using Clock = std::chrono::steady_clock; // CLOCK_MONOTONIC

std::int64_t monotonicUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

// Even with nothing due the thread looks round now and then.
constexpr std::int64_t kIdleWakeUs = 500'000;
} // namespace

void Driver::attach(Transport *transport)
{
    if (thread_.joinable()) {
        {
            std::lock_guard lock(wakeMutex_);
            quit_ = true;
        }
        wakeCondition_.notify_one();
        thread_.join();
    }
    // The last request (a close, a stop) still reaches the output, so nothing is left sounding.
    if (transport_ && transport_ != transport)
        transport_->cycle(nowUs(), nowUs(), sink_);
    transport_ = transport;
    if (!transport || mode_ == Mode::Manual)
        return;
    quit_ = false;
    thread_ = std::thread([this] { run(); });
    realTimePriority_ = platform::raiseToRealTime(thread_);
}

std::int64_t Driver::nowUs() const { return mode_ == Mode::Manual ? manualNowUs_.load() : monotonicUs(); }

void Driver::wake()
{
    if (mode_ == Mode::Manual) {
        if (transport_)
            transport_->cycle(manualNowUs_, manualNowUs_ + 1, sink_);
        return;
    }
    {
        std::lock_guard lock(wakeMutex_);
        woken_ = true;
    }
    wakeCondition_.notify_one();
}

void Driver::advanceTo(std::int64_t us)
{
    if (!transport_) {
        manualNowUs_ = std::max(manualNowUs_.load(), us);
        return;
    }
    for (;;) {
        const std::int64_t now = manualNowUs_;
        transport_->cycle(now, now + 1, sink_);
        const std::int64_t next = transport_->nextDueUs();
        if (next > us)
            break;
        manualNowUs_ = std::max(now, next);
    }
    manualNowUs_ = std::max(manualNowUs_.load(), us);
    transport_->cycle(manualNowUs_, manualNowUs_ + 1, sink_);
}

void Driver::run()
{
    std::unique_lock lock(wakeMutex_);
    while (!quit_) {
        woken_ = false;
        lock.unlock();
        const std::int64_t now = monotonicUs();
        transport_->cycle(now, now + 1, sink_);
        const std::int64_t deadline = std::min(transport_->nextDueUs(), now + kIdleWakeUs);
        lock.lock();
        if (quit_ || woken_)
            continue;
        wakeCondition_.wait_until(lock, Clock::time_point(std::chrono::microseconds(deadline)),
                                  [this] { return quit_ || woken_; });
    }
}

} // namespace kazoon::engine
