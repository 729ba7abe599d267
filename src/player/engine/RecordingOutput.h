#pragma once

#include "player/engine/Driver.h"
#include "player/engine/Output.h"
#include "player/engine/Transport.h"

#include <mutex>
#include <vector>

namespace kazoon::engine {

// Keeps every message with its times, for tests and the benchmark. By hand the
// test moves the clock (advanceTo); in real time a driver thread plays.
class RecordingOutput final : public Output, private MidiSink {
public:
    struct Message {
        std::vector<std::uint8_t> bytes;
        std::int64_t dueUs;  // when the transport meant it to sound
        std::int64_t sentUs; // the clock when it was handed over
    };

    explicit RecordingOutput(Driver::Mode mode = Driver::Mode::Manual) : driver_(*this, mode) {}

    void attach(Transport *transport) override { driver_.attach(transport); }
    std::int64_t nowUs() const override { return driver_.nowUs(); }
    void wake() override { driver_.wake(); }
    int error() const override;
    std::string errorText() const override;
    bool alive() override { return !failed_; }

    void advanceTo(std::int64_t us) { driver_.advanceTo(us); }
    void advanceBy(std::int64_t us) { driver_.advanceTo(driver_.nowUs() + us); }
    Driver &driver() { return driver_; }

    std::vector<Message> messages() const;
    std::vector<Message> take(); // returns and forgets what was recorded
    void reserve(std::size_t count);
    // Makes the output fail from now on, like a port whose cable was pulled.
    void fail(bool failed);

private:
    bool send(std::span<const std::uint8_t> message, std::int64_t timeUs) override;

    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::atomic<bool> failed_{false};
    Driver driver_; // last: stops before the rest goes
};

// Plays in silence: the show runs without sound.
class NullOutput final : public Output, private MidiSink {
public:
    NullOutput() : driver_(*this, Driver::Mode::RealTime) {}
    void attach(Transport *transport) override { driver_.attach(transport); }
    std::int64_t nowUs() const override { return driver_.nowUs(); }
    void wake() override { driver_.wake(); }
    int error() const override { return 0; }
    std::string errorText() const override { return {}; }

private:
    bool send(std::span<const std::uint8_t>, std::int64_t) override { return true; }
    Driver driver_;
};

} // namespace kazoon::engine
