// The panic: every channel of the output silenced, from the menu, from Esc
// while no song plays, and from the MIDI remote even with a dialog open.
#include "app/MainWindow.h"
#include "app/OutputControl.h"
#include "player/SequencerDevice.h"

namespace kazoon {

void TfrmMain::mnuPanicItemClick()
{
    if (destroyed_)
        return;
    // A test chord holds the output: it ends, and the output comes back to the songs.
    if (env_.output)
        env_.output->stopTestChord();
    Player().Panic();
}

} // namespace kazoon
