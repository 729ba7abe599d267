#pragma once

class QTimer;

namespace kazoon {
class TfrmMain;
}

// Small helpers shared by the player's handlers of the main window.
namespace kazoon::player {

// Runs the device error check after a play or resume. When the port was in
// use, clears the flag and returns true: the command gives up its remaining
// steps and leaves the panel as it was.
bool refusedByBusyPort(TfrmMain &w);

// Starts a one-shot timer unless it already runs: a running delay is not
// lengthened by a further start.
void startOnce(QTimer &timer);

} // namespace kazoon::player
