#include "player/engine/SetupPort.h"

#include "player/engine/DeviceErrors.h"

#include <algorithm>

namespace kazoon::engine {

SetupPort::SetupPort(std::unique_ptr<Output> output) : output_(std::move(output)) { output_->attach(&transport_); }

SetupPort::~SetupPort() { output_->attach(nullptr); }

std::string SetupPort::send(std::shared_ptr<const SetupMessages> setup)
{
    if (!output_->recover()) {
        const std::string text = output_->errorText();
        return text.empty() ? kUnknownErrorText : text;
    }
    PlayRequest request;
    request.resetId = ++resetId_;
    request.setup = setup.get();
    request.setupOnly = true;
    std::uint64_t taken = 0;
    const std::uint64_t seq = transport_.submit(request, &taken);
    const std::uint64_t adopted = transport_.adoptedSeq();
    std::erase_if(retained_, [adopted, taken](const Retained &r) { return r.seq < adopted || r.seq > taken; });
    retained_.push_back({seq, std::move(setup)});
    output_->wake();
    return {};
}

} // namespace kazoon::engine
