#pragma once

#include "player/engine/InstrumentSetup.h"
#include "player/engine/Output.h"
#include "player/engine/Transport.h"

#include <memory>
#include <string>
#include <vector>

namespace kazoon::engine {

// An output that plays no song, only set-ups (a song number for a keyboard
// or a light desk on a port of its own). Its messages take the engine's own
// path: a request to a transport that the output's driver sends.
class SetupPort {
public:
    explicit SetupPort(std::unique_ptr<Output> output);
    ~SetupPort();
    SetupPort(const SetupPort &) = delete;
    SetupPort &operator=(const SetupPort &) = delete;

    // UI thread; never waits on the port. Returns an empty text, or the
    // output's reason when it cannot be used (nothing is sent then).
    std::string send(std::shared_ptr<const SetupMessages> setup);
    Output &output() const { return *output_; }

private:
    Transport transport_;
    std::unique_ptr<Output> output_;
    std::uint64_t resetId_ = 0;
    struct Retained {
        std::uint64_t seq;
        std::shared_ptr<const SetupMessages> setup;
    };
    std::vector<Retained> retained_;
};

} // namespace kazoon::engine
