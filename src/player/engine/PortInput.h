#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class RtMidiIn;

namespace kazoon::engine {

// An external MIDI input port through RtMidi, found by name as the outputs'
// ports are. RtMidi reads the port on a thread of its own and hands each
// message to the receiver there, never waiting for anyone else.
class PortInput {
public:
    using Receiver = std::function<void(const std::uint8_t *bytes, std::size_t size)>;

    // Without a MIDI system nothing throws: the input is not available.
    explicit PortInput(Receiver receiver);
    // Stops RtMidi's thread: the receiver is not called after this.
    ~PortInput();
    PortInput(const PortInput &) = delete;
    PortInput &operator=(const PortInput &) = delete;

    bool available() const { return midi_ != nullptr; }
    // The input ports there are now, by name.
    std::vector<std::string> ports() const;

    enum class Opened { Ok, NoMidi, NotFound, Unusable };
    // Opens the port that `portName` names, closing any other.
    Opened open(const std::string &portName);
    void close();

private:
    Receiver receiver_;
    std::unique_ptr<RtMidiIn> midi_;
};

} // namespace kazoon::engine
