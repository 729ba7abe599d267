// The window's side of the show recorder: what it records of the list and
// the player, and the list opening it restores a show through.
#include "app/MainWindow.h"
#include "app/ShowRecorder.h"
#include "player/SequencerDevice.h"
#include "player/TrackBar.h"
#include "songlist/CheckListBox.h"
#include "songlist/PerSongSettings.h"

namespace kazoon {

ShowHost TfrmMain::showHost()
{
    ShowHost host;
    host.snapshot = [this] {
        return ShowSnapshot{isNewList() ? QString() : listFileName, listModified || isNewList(),
                            lstDmy.items, songIndex};
    };
    host.lastSongRepeats = [this] {
        const int n = lstDmy.count();
        return n > 0 && lstLive->count() == n && lstLive->isChecked(n - 1);
    };
    host.tempoPercent = [this](int i) {
        // The loaded song as it is heard, also while its settings dialog tries a tempo.
        const int current = qBound(0, songIndex, lstDmy.count() - 1);
        if (i == current && songLoaded && songFileName == songPath(current))
            return Player().Adjust().tempoPercent;
        return songSettings_->settings().value(songPath(i)).adjust.clamped().tempoPercent;
    };
    host.position = [this] { return std::int64_t(songLoaded ? trackBar->Position() : 0); };
    host.closing = [this] { return terminating_; };
    host.showMessage = [this](const QString &text, const QString &caption, int flags) {
        return showMessage(text, caption, flags);
    };
    host.reopen = [this](const QString &listPath, const QStringList &lines, int index, bool modified) {
        showList(listPath, lines, index);
        listModified = listModified || modified;
    };
    return host;
}

} // namespace kazoon
