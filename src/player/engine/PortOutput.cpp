#include "player/engine/PortOutput.h"

#include "player/engine/DeviceErrors.h"
#include "player/engine/OutputText.h"

#include <RtMidi.h>
#include <regex>

namespace kazoon::engine {

namespace {

// ALSA appends " client:port" to a port's name; those numbers change.
std::string withoutPortNumbers(const std::string &name)
{
    static const std::regex numbers(R"(\s+\d+:\d+$)");
    return std::regex_replace(name, numbers, "");
}

} // namespace

std::vector<std::string> PortOutput::portNames(RtMidi &midi)
{
    std::vector<std::string> names;
    const unsigned count = midi.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        names.push_back(midi.getPortName(i));
    return names;
}

PortOutput::PortOutput(std::string portName) : name_(std::move(portName))
{
    open();
    watcher_ = std::thread([this] { watch(); });
}

PortOutput::~PortOutput()
{
    {
        std::lock_guard lock(watchMutex_);
        quitWatch_ = true;
    }
    watchWake_.notify_one();
    watcher_.join();
    driver_.attach(nullptr); // before the port closes
}

void PortOutput::watch()
{
    std::unique_ptr<RtMidiOut> lister;
    try {
        lister = std::make_unique<RtMidiOut>(RtMidi::UNSPECIFIED, "Kazoon");
        lister->setErrorCallback([](RtMidiError::Type, const std::string &, void *) {}, nullptr);
    } catch (const std::exception &) {
        return; // no MIDI system: nothing was opened to lose
    }
    std::unique_lock lock(watchMutex_);
    while (!watchWake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return quitWatch_; })) {
        if (failed_)
            continue;
        const unsigned opened = opened_;
        lock.unlock();
        bool listed = true;
        try {
            listed = findPort(portNames(*lister), name_) >= 0;
        } catch (const std::exception &) {
        }
        lock.lock();
        if (!listed && !failed_ && opened == opened_) {
            failed_ = true;
            setError(output_text::portLost(name_));
        }
    }
}

int PortOutput::findPort(const std::vector<std::string> &ports, const std::string &wanted)
{
    for (std::size_t i = 0; i < ports.size(); ++i)
        if (ports[i] == wanted)
            return static_cast<int>(i);
    const std::string bare = withoutPortNumbers(wanted);
    for (std::size_t i = 0; i < ports.size(); ++i)
        if (withoutPortNumbers(ports[i]) == bare)
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string> PortOutput::availablePorts()
{
    try {
        RtMidiOut midi(RtMidi::UNSPECIFIED, "Kazoon");
        midi.setErrorCallback([](RtMidiError::Type, const std::string &, void *) {}, nullptr);
        return portNames(midi);
    } catch (const std::exception &) {
        return {};
    }
}

void PortOutput::open()
{
    midi_.reset();
    failed_ = true;
    try {
        auto midi = std::make_unique<RtMidiOut>(RtMidi::UNSPECIFIED, "Kazoon");
        midi->setErrorCallback(
            [](RtMidiError::Type type, const std::string &text, void *self) {
                onRtMidiError(static_cast<int>(type), text, self);
            },
            this);
        const int index = findPort(portNames(*midi), name_);
        if (index < 0) {
            setError(output_text::portNotFound(name_));
            return;
        }
        failed_ = false;
        midi->openPort(static_cast<unsigned>(index), "Kazoon");
        if (failed_ || !midi->isPortOpen()) {
            failed_ = true;
            setError(output_text::portUnusable(name_));
            return;
        }
        midi_ = std::move(midi);
    } catch (const std::exception &) {
        failed_ = true;
        setError(output_text::kNoMidi);
    }
}

bool PortOutput::recover()
{
    if (!failed_)
        return true;
    Transport *transport = driver_.transport();
    driver_.attach(nullptr);
    {
        std::lock_guard lock(watchMutex_);
        ++opened_;
        open();
    }
    driver_.attach(transport);
    return !failed_;
}

void PortOutput::onRtMidiError(int type, const std::string &, void *self)
{
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING)
        return;
    auto *output = static_cast<PortOutput *>(self);
    output->failed_ = true;
    output->setError(output_text::portLost(output->name_));
}

void PortOutput::setError(std::string text)
{
    std::lock_guard lock(textMutex_);
    errorText_ = std::move(text);
}

int PortOutput::error() const { return failed_ ? device_error::PortInUse : 0; }

std::string PortOutput::errorText() const
{
    if (!failed_)
        return {};
    std::lock_guard lock(textMutex_);
    return errorText_;
}

bool PortOutput::send(std::span<const std::uint8_t> message, std::int64_t)
{
    if (failed_ || !midi_)
        return false;
    midi_->sendMessage(message.data(), message.size());
    return !failed_;
}

} // namespace kazoon::engine
