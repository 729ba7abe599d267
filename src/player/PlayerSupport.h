#pragma once

class QTimer;

namespace kazoon {
class TfrmMain;
}

// Small helpers shared by the player's handlers of the main window.
namespace kazoon::player {

// The options the player reads from the options dialog at the moment it
// needs them.
bool showLyricsWhileStopped(const TfrmMain &w); // chkOnStop
bool lessonAllowed(const TfrmMain &w);          // chkOnLsn
int standbyOffset(const TfrmMain &w);           // StepBar, -15..16

// Runs the device error check after a play or resume. When the port was in
// use, clears the flag and returns true: the command gives up its remaining
// steps and leaves the panel as it was.
bool refusedByBusyPort(TfrmMain &w);

// Starts a one-shot timer unless it already runs: a running delay is not
// lengthened by a further start.
void startOnce(QTimer &timer);

} // namespace kazoon::player
