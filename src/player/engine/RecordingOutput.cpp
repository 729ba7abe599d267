#include "player/engine/RecordingOutput.h"

#include "player/engine/DeviceErrors.h"
#include "player/engine/OutputText.h"

#include <utility>

namespace kazoon::engine {

int RecordingOutput::error() const { return failed_ ? device_error::PortInUse : 0; }

std::string RecordingOutput::errorText() const { return failed_ ? output_text::portLost("recording") : std::string(); }

bool RecordingOutput::send(std::span<const std::uint8_t> message, std::int64_t timeUs)
{
    if (failed_)
        return false;
    const std::int64_t sent = driver_.nowUs();
    std::lock_guard lock(mutex_);
    messages_.push_back({{message.begin(), message.end()}, timeUs, sent});
    return true;
}

std::vector<RecordingOutput::Message> RecordingOutput::messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<RecordingOutput::Message> RecordingOutput::take()
{
    std::lock_guard lock(mutex_);
    return std::exchange(messages_, {});
}

void RecordingOutput::reserve(std::size_t count)
{
    std::lock_guard lock(mutex_);
    messages_.reserve(count);
}

void RecordingOutput::fail(bool failed) { failed_ = failed; }

} // namespace kazoon::engine
