#pragma once

#include "player/PlayerRules.h"

class QTimer;

namespace kazoon {
class TfrmMain;
}

// Small helpers shared by the player's handlers of the main window.
namespace kazoon::player {

// Checks the device after a command: CheckPlayerError tells the performer
// of an error (and ends the program on a fatal one); a busy port is told
// once and forgotten, the command that met it gives up its remaining steps.
DeviceCheck checkDevice(TfrmMain &w);

// Shows the step in lblStep and keeps it as the value the rules read.
void showStep(TfrmMain &w, StepDisplay step);

// Starts a one-shot timer unless it already runs: a running delay is not
// lengthened by a further start.
void startOnce(QTimer &timer);

} // namespace kazoon::player
