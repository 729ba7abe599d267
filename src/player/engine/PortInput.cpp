#include "player/engine/PortInput.h"

#include "player/engine/PortOutput.h"

#include <RtMidi.h>

namespace kazoon::engine {

PortInput::PortInput(Receiver receiver) : receiver_(std::move(receiver))
{
    // Without an ALSA sequencer (or any MIDI system) RtMidi throws here; the
    // program then runs without the input.
    try {
        auto midi = std::make_unique<RtMidiIn>(RtMidi::UNSPECIFIED, "Kazoon");
        midi->setErrorCallback([](RtMidiError::Type, const std::string &, void *) {}, nullptr);
        midi->setCallback(
            [](double, std::vector<unsigned char> *message, void *self) {
                if (message && !message->empty())
                    static_cast<PortInput *>(self)->receiver_(message->data(), message->size());
            },
            this);
        midi_ = std::move(midi);
    } catch (const std::exception &) {
        midi_.reset();
    }
}

PortInput::~PortInput()
{
    close();
    midi_.reset(); // stops RtMidi's thread before the receiver goes
}

std::vector<std::string> PortInput::ports() const
{
    if (!midi_)
        return {};
    try {
        return PortOutput::portNames(*midi_);
    } catch (const std::exception &) {
        return {};
    }
}

PortInput::Opened PortInput::open(const std::string &portName)
{
    close();
    if (!midi_)
        return Opened::NoMidi;
    try {
        const int index = PortOutput::findPort(PortOutput::portNames(*midi_), portName);
        if (index < 0)
            return Opened::NotFound;
        midi_->openPort(unsigned(index), "Kazoon remote");
        if (!midi_->isPortOpen())
            return Opened::Unusable;
    } catch (const std::exception &) {
        return Opened::Unusable;
    }
    return Opened::Ok;
}

void PortInput::close()
{
    if (midi_ && midi_->isPortOpen()) {
        try {
            midi_->closePort();
        } catch (const std::exception &) {
        }
    }
}

} // namespace kazoon::engine
