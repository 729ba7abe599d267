// The song list file commands of the main window: open, Save As, Overwrite,
// the save tool button, the save question that guards Open, New and close, and
// the list editor's two commands (New, Edit).
#include <QDialog>
#include <QFileInfo>
#include <QMenu>

#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/ShortText.h"
#include "app/ShowRecorder.h"
#include "songlist/CheckListBox.h"
#include "songlist/PerSongSettings.h"
#include "songlist/SongListFile.h"
#include "songlist/TfrmSelect.h"

namespace kazoon {

namespace {

const QString kListFilter = QStringLiteral("曲リストファイル(*.mnu)");
const QString kListSuffix = QStringLiteral("mnu");

const QString kBrokenFileText = QStringLiteral(
    "曲リストファイルを開けません。\r\nこのファイルは壊れているか、正しい形式ではありません。");
const QString kMissingSongText = QStringLiteral(
    "曲リストファイルを開けません。\r\n\r\nリストに書かれている、次の曲ファイルが見つかりません。"
    "\r\nパスとファイル名が正しいか確認してください。\r\n\r\n");
const QString kRepeatRemovedText = QStringLiteral(
    "オプション設定で最後の曲のメドレーチェックが許可されていません。\r\n"
    "リピート再生の設定は解除されます。");

// File names shown in the caption and the save question, cut short when freakishly long.
QString fileNameOf(const QString &path) { return shortenMiddle(QFileInfo(path).fileName()); }

} // namespace

int TfrmMain::AskSaveChanges()
{
    const QString text = isNewList()
                             ? QStringLiteral("新規曲リストは変更されています。保存しますか？")
                             : fileNameOf(listFileName)
                                   + QStringLiteral(" は変更されています。上書きしますか？");
    return showMessage(text, kAppTitle, mb::YesNoCancel | mb::IconQuestion);
}

bool TfrmMain::confirmDiscardChanges()
{
    if (!listModified)
        return true;
    switch (AskSaveChanges()) {
    case mb::IdYes:
        if (isNewList())
            mnuSaveItemClick();
        else
            mnuOverItemClick();
        // A cancelled or failed save abandons the action, so nothing is lost.
        if (saveCancelled) {
            saveCancelled = false;
            return false;
        }
        return true;
    case mb::IdNo:
        return true;
    default:
        return false;
    }
}

void TfrmMain::mnuOpenItemClick()
{
    if (!confirmDiscardChanges())
        return;

    const QString folder = listFileName.isEmpty() ? QString() : QFileInfo(listFileName).absolutePath();
    OpenDialogShow();
    const QString fileName = dialogs().getOpenFileName(this, folder, kListFilter);
    OpenDialogClose();
    if (fileName.isEmpty())
        return;

    const auto stop = mb::Ok | mb::IconStop;
    const songlist::ReadResult read = songlist::readFile(fileName);
    if (read.status == songlist::ReadResult::Unreadable) {
        showMessage(QStringLiteral("曲リストファイルを読み込めません。\r\n") + shortenMiddle(fileName),
                    kAppTitle, stop);
        return;
    }
    const QStringList &lines = read.lines;
    if (read.status == songlist::ReadResult::TooLarge || songlist::firstBrokenLine(lines) >= 0) {
        showMessage(kBrokenFileText, kAppTitle, stop);
        return;
    }
    if (const int missing = songlist::firstMissingSong(lines); missing >= 0) {
        showMessage(kMissingSongText + shortenMiddle(songlist::entryPath(lines.at(missing))), kAppTitle,
                    stop);
        return;
    }

    showList(fileName, lines, 0);
    showRecorder_->resetClock();
}

void TfrmMain::showList(const QString &fileName, const QStringList &lines, int index)
{
    const auto stop = mb::Ok | mb::IconStop;
    lstLive->clearLines();
    if (!fileName.isEmpty())
        listFileName = fileName;
    lstDmy.items = lines;
    songSettings_->load(fileName);
    setBulkMarkCommands({});
    listModified = false;

    // The bulk command states follow the marks as stored, before the repeat
    // correction below.
    const int n = lstDmy.count();
    QList<bool> marks;
    for (int i = 0; i < n; ++i) {
        const QString entry = lstDmy.items.at(i);
        const bool marked = songlist::entryMarked(entry);
        marks.append(marked);
        lstLive->addLine(songlist::displayName(songlist::entryPath(entry)), marked);
        if (marked && i == n - 1 && !liveSettings().repeatAllowed()) {
            showMessage(kRepeatRemovedText, kAppTitle, stop);
            setSongMark(i, false);
            listModified = true;
        }
    }
    setBulkMarkCommands(marks);

    lstDmy.itemIndex = index;
    lstLive->setItemIndex(index);
    LoadSelectedSong();

    if (fileName.isEmpty()) {
        setWindowTitle(kNewListCaption);
        mnuOverItem->setEnabled(false);
    } else {
        setWindowTitle(kAppTitle + QStringLiteral(" - ") + fileNameOf(listFileName));
        mnuOverItem->setEnabled(true);
    }
    afterListLoaded();
}

void TfrmMain::showEditedList(const EditedList &list)
{
    // The editor's list keeps the song settings in memory (they go by path),
    // and an edited list keeps its name and caption.
    lstDmy.items = list.entries;
    lstDmy.itemIndex = 0;
    lstLive->clearLines();
    for (const QString &name : list.names)
        lstLive->addLine(name);
    lstLive->setItemIndex(0);

    afterListLoaded();
    // The editor hands back every song unmarked.
    setBulkMarkCommands(QList<bool>(list.entries.size(), false));
    if (list.newList) {
        setWindowTitle(kNewListCaption);
        mnuOverItem->setEnabled(false);
    }
    listModified = true;
    LoadSelectedSong();
}

void TfrmMain::mnuNewItemClick()
{
    if (listModified && !confirmDiscardChanges())
        return;
    if (const std::optional<EditedList> list = frmSelect->execWith(kNewListEditorCaption)) {
        showEditedList(*list);
        // A new list is a new show.
        showRecorder_->resetClock();
    }
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
    if (const std::optional<EditedList> list = frmSelect->execWith(kEditListEditorCaption))
        showEditedList(*list);
}

namespace {

// Writes the list; on failure says why and leaves the file on disk as it was.
bool writeList(TfrmMain &w, const QString &fileName)
{
    const QString error = songlist::writeFile(fileName, w.lstDmy.items);
    if (error.isEmpty()) {
        const QString settingsError = w.songSettings().save(fileName);
        if (settingsError.isEmpty())
            return true;
        w.showMessage(QStringLiteral("曲の設定ファイルを保存できません。\r\n")
                          + shortenMiddle(songlist::settingsPath(fileName)) + QStringLiteral("\r\n\r\n")
                          + settingsError,
                      kAppTitle, mb::Ok | mb::IconStop);
        return false;
    }
    w.showMessage(QStringLiteral("曲リストファイルを保存できません。\r\n") + shortenMiddle(fileName)
                      + QStringLiteral("\r\n\r\n") + error,
                  kAppTitle, mb::Ok | mb::IconStop);
    return false;
}

} // namespace

void TfrmMain::mnuSaveItemClick()
{
    OpenDialogShow();
    const QString fileName = dialogs().getSaveFileName(this, QString(), kListFilter, kListSuffix);
    OpenDialogClose();
    // A failed write counts as a save not done: the caller abandons its
    // action and the list keeps its name and its changes.
    if (fileName.isEmpty() || !writeList(*this, fileName)) {
        saveCancelled = true;
        return;
    }
    listFileName = fileName;
    setWindowTitle(kAppTitle + QStringLiteral(" - ") + fileNameOf(listFileName));
    saveCancelled = false;
    listModified = false;
    showRecorder_->changed();
}

void TfrmMain::mnuOverItemClick()
{
    // A new list is never written over the file of the list opened before it.
    if (isNewList()) {
        mnuSaveItemClick();
        return;
    }
    if (!writeList(*this, listFileName)) {
        saveCancelled = true;
        return;
    }
    saveCancelled = false;
    listModified = false;
    showRecorder_->changed();
}

void TfrmMain::ButtonSaveClick()
{
    if (isNewList())
        mnuSaveItemClick();
    else
        mnuOverItemClick();
}

} // namespace kazoon
