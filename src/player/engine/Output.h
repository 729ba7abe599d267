#pragma once

#include <cstdint>
#include <string>

namespace kazoon::engine {

class Transport;

// Where songs sound. An output also brings the clock that drives the
// transport: the synthesizer's audio callback, or a real-time thread.
class Output {
public:
    virtual ~Output() = default;

    // Starts driving the transport; nullptr stops and waits until the driver
    // has let go of it. UI thread.
    virtual void attach(Transport *transport) = 0;
    // The clock the transport runs on, in microseconds. Any thread.
    virtual std::int64_t nowUs() const = 0;
    // A request was submitted; drivers that sleep wake up for it.
    virtual void wake() = 0;

    // 0 while usable, else device_error::PortInUse with a text for the performer.
    virtual int error() const = 0;
    virtual std::string errorText() const = 0;
    // The watchdog, asked now and then from the UI thread while a song plays;
    // never blocks. False once the output has died without a failed send (the
    // audio device stopped pulling samples, a port vanished); error() and
    // errorText() then say so.
    virtual bool alive() { return true; }
    // Tries to get a failed output going again (a port plugged back in) before
    // a play; returns whether it is usable.
    virtual bool recover() { return error() == 0; }
    // The built-in synthesizer plays the song in mono on the right and the
    // click alone on the left; other outputs have no such mode. UI thread.
    virtual void setClickSplit(bool) {}
};

} // namespace kazoon::engine
