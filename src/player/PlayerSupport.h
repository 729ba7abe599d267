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

// Starts a one-shot timer unless it already runs: a running delay is not
// lengthened by a further start.
void startOnce(QTimer &timer);

} // namespace kazoon::player
