#pragma once

#include <QString>
#include <cstdint>

#include "player/StepDisplay.h"

namespace kazoon::player {

// The song length as the status bar shows it ("3分5秒"), from the device's
// packed SMPTE length (byte 1 minutes, byte 2 seconds; hours and frames are
// not shown).
QString lengthText(std::int64_t smpte);

// The player panel's text for a player state; a null string for the values
// that have none (the panel then keeps what it shows).
QString infoText(int playerState);

// What a device error code means for the command that met it: nothing, a
// busy output port (the command gives up and leaves the panel as it was), or
// a failure that ends the program.
enum class DeviceCheck { Ok, PortBusy, Fatal };
DeviceCheck deviceCheck(int error);

// What a position key asks of the position bar. Position 0 holds two stops,
// step 0 and step 1, told apart by the step display `d`.
struct PositionMove {
    enum Kind { None, MoveTo, Refresh };
    Kind kind = None;
    int target = 0;             // for MoveTo; the bar keeps it within 0..max
    bool stepOneAtZero = false; // show step 1 when the bar arrives at 0

    bool operator==(const PositionMove &) const = default;
};

// Right (n = 16) and PgDn (n = 128).
PositionMove forwardBy(int p, int max, StepDisplay d, int n);
// Left (n = 16) and PgUp (n = 128).
PositionMove backBy(int p, StepDisplay d, int n);
// Keypad + and -.
PositionMove forwardOne(int p, int max, StepDisplay d);
PositionMove backOne(int p, StepDisplay d);

} // namespace kazoon::player
