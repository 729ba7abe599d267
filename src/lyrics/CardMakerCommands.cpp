// The main window's command that opens the lyrics card maker.
#include "app/MainWindow.h"
#include "lyrics/TfrmCardMaker.h"

namespace kazoon {

void TfrmMain::mnuCardItemClick()
{
    // A walk through the list may still have its load pending: it is done
    // first, so that the maker works on the song the list shows.
    if (LagTimer.isActive() && !playing)
        LagTimerTimer();
    if (!songLoaded || playing || lessonMode)
        return;
    TfrmCardMaker maker(this, this);
    maker.make(songFileName);
}

} // namespace kazoon
