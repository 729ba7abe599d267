#include <QDialog>
#include <QFileInfo>

#include "app/MainWindow.h"
#include "app/ShowRecorder.h"
#include "songlist/CheckListBox.h"
#include "songlist/TfrmSelect.h"

namespace kazoon {

void TfrmMain::mnuNewItemClick()
{
    if (listModified && !confirmDiscardChanges())
        return;
    // A new list is a new show.
    if (frmSelect->execWith(kNewListEditorCaption) == QDialog::Accepted)
        showRecorder_->resetClock();
}

void TfrmMain::mnuMenuItemClick()
{
    const int n = lstDmy.count();
    if (n > 0) {
        // The panes open on the folder of the loaded song, when it still exists.
        const int current = lstDmy.itemIndex >= 0 && lstDmy.itemIndex < n ? lstDmy.itemIndex : 0;
        const QString folder = editor::folderOf(songPath(current));
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            frmSelect->setFolder(folder);
        frmSelect->selectDriveOfFolder();

        // The editor knows no medley marks: every song comes back unmarked.
        QStringList entries, names;
        for (int i = 0; i < n; ++i) {
            const QString path = songPath(i);
            entries << QStringLiteral("0 ") + path;
            const QString name = lstLive->lineText(i);
            names << (name.isEmpty() ? QFileInfo(path).fileName() : name);
        }
        frmSelect->setSongs(entries, names);
    }
    frmSelect->execWith(kEditListEditorCaption);
}

} // namespace kazoon
