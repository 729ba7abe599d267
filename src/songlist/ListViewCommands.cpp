// The song list view of the main window: loading a clicked song, the medley
// marks with the last-song rule, the two bulk mark commands and the list hint.
#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/ShowRecorder.h"
#include "songlist/CheckListBox.h"
#include "songlist/ListHint.h"
#include "songlist/SongListFile.h"

namespace kazoon {

void TfrmMain::setListHint(int i)
{
    const int n = lstLive->count();
    if (i < 0 || i >= n)
        return;
    const bool last = i == n - 1;
    lstLive->setToolTip(songlist::listHint(lstLive->lineText(i),
                                           last ? QString() : lstLive->lineText(i + 1),
                                           lstLive->isChecked(i), last));
}

void TfrmMain::setSongMark(int i, bool marked)
{
    if (i < 0 || i >= lstDmy.count())
        return;
    lstLive->setChecked(i, marked);
    lstDmy.items[i] = songlist::markEntry(lstDmy.items.at(i), marked);
    showRecorder_->changed();
}

QString TfrmMain::songPath(int i) const { return songlist::entryPath(lstDmy.items.value(i)); }

void TfrmMain::lstLiveClick()
{
    lstDmy.itemIndex = lstLive->itemIndex();
    if (lstLive->itemIndex() != songIndex)
        LoadSelectedSong();
}

void TfrmMain::lstLiveClickCheck()
{
    const int i = lstLive->itemIndex();
    const int n = lstLive->count();
    if (i < 0 || i >= n)
        return;

    if (i == n - 1 && lstLive->isChecked(i) && !liveSettings().repeatAllowed()) {
        setSongMark(i, false);
        showMessage(QStringLiteral("最後の曲をリピート再生するには、オプション設定を行ってください。"),
                    kAppTitle, mb::Ok | mb::IconExclamation | mb::DefButton2);
    }
    setListHint(i);
    // The box has the performer's new mark; the path entry follows it.
    setSongMark(i, lstLive->isChecked(i));
    listModified = true;

    if (n > 1) {
        QList<bool> marks;
        for (int k = 0; k < n; ++k)
            marks.append(lstLive->isChecked(k));
        setBulkMarkCommands(marks);
    }
}

void TfrmMain::mnuMedleyItemClick()
{
    const int n = lstLive->count();
    if (n == 0)
        return;
    // One medley that ends with the last song: its repeat mark goes too.
    for (int i = 0; i < n; ++i) {
        setSongMark(i, i < n - 1);
    }
    cmdMedley->setEnabled(false);
    cmdClear->setEnabled(true);
    setListHint(lstLive->itemIndex());
    listModified = true;
}

void TfrmMain::mnuClearItemClick()
{
    const int n = lstLive->count();
    if (n == 0)
        return;
    for (int i = 0; i < n; ++i)
        setSongMark(i, false);
    cmdMedley->setEnabled(true);
    cmdClear->setEnabled(false);
    setListHint(lstLive->itemIndex());
    listModified = true;
}

} // namespace kazoon
