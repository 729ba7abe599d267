#pragma once

#include "player/engine/Driver.h"
#include "player/engine/Output.h"
#include "player/engine/Transport.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RtMidi;
class RtMidiOut;

namespace kazoon::engine {

// An external MIDI port through RtMidi, chosen and remembered by name, since
// port numbers change when devices are plugged in.
class PortOutput final : public Output, private MidiSink {
public:
    explicit PortOutput(std::string portName);
    ~PortOutput() override;

    void attach(Transport *transport) override { driver_.attach(transport); }
    std::int64_t nowUs() const override { return driver_.nowUs(); }
    void wake() override { driver_.wake(); }
    int error() const override;
    std::string errorText() const override;
    bool recover() override;
    // ALSA lets messages to a vanished port go nowhere without a word, so a
    // thread of our own looks for the port in the system's list every 100 ms.
    bool alive() override { return !failed_; }

    const std::string &portName() const { return name_; }
    // Sends to the port directly, for a transport that drives it from
    // another output's clock (the click on a port of its own).
    MidiSink &sink() { return *this; }
    // The ports there are now, for the settings.
    static std::vector<std::string> availablePorts();
    // The ports an RtMidi input or output sees, by name.
    static std::vector<std::string> portNames(RtMidi &midi);
    // The index of the port that `wanted` names, or -1: the exact name first,
    // then the name without ALSA's client and port numbers.
    static int findPort(const std::vector<std::string> &ports, const std::string &wanted);

private:
    bool send(std::span<const std::uint8_t> message, std::int64_t timeUs) override;
    void open();
    void setError(std::string text);
    static void onRtMidiError(int type, const std::string &text, void *self);
    void watch();

    std::string name_;
    std::unique_ptr<RtMidiOut> midi_;
    std::atomic<bool> failed_{false};
    mutable std::mutex textMutex_;
    std::string errorText_;
    std::mutex watchMutex_;
    std::condition_variable watchWake_;
    bool quitWatch_ = false;
    unsigned opened_ = 0; // counts reopenings, so a look taken before one is dropped
    std::thread watcher_;
    Driver driver_{*this, Driver::Mode::RealTime};
};

} // namespace kazoon::engine
