#pragma once

#include <QString>
#include <string>

namespace kazoon {

// The MIDI clock as the options set it.
struct MidiClockOptions {
    bool send = false;
    QString port;

    bool operator==(const MidiClockOptions &) const = default;
    // The port the clock goes to; empty when none is sent.
    std::string portInUse() const { return send ? port.toStdString() : std::string(); }
};

} // namespace kazoon
