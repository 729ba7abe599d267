#pragma once

#include <QDialog>
#include <QStringList>
#include <optional>

#include "app/Dialogs.h"
#include "app/FolderPane.h"

class QComboBox;
class QFileSystemModel;
class QListView;
class QListWidget;
class QPushButton;
class QTreeView;

namespace kazoon {

inline const QString kNewListEditorCaption = QStringLiteral("新規曲リストの作成");
inline const QString kEditListEditorCaption = QStringLiteral("曲リストの編集");

namespace editor {
// The full path of a file in a folder, joined by exactly one "/" (so the
// root gives "/song.mid").
QString joinPath(const QString &folder, const QString &fileName);
// The folder of a path, up to and including its last "/"; empty without one.
QString folderOf(const QString &path);
using kazoon::orderDriveRoots; // the drive box order, kept by the folder pane
} // namespace editor

// What the editor hands back on OK: the songs in playing order as path
// entries ("0 " + full path, every one unmarked) with the names shown for
// them, and whether the list is a new one (the new-list command) rather than
// the list in use edited.
struct EditedList {
    QStringList entries, names;
    bool newList = false;
};

// The song list editor: the performer picks MIDI files from disk and puts
// them in playing order. OK hands the list back; the main window shows it in
// place of its song list and loads its first song.
class TfrmSelect : public QDialog {
    Q_OBJECT
public:
    // Shown through `dialogs` (plainly when null); `message` tells a volume
    // that is not ready.
    explicit TfrmSelect(UiDialogs *dialogs, MessageFn message = {}, QWidget *parent = nullptr);

    // Shows the dialog modally under the caption of the command that opened
    // it; the list made on OK, nothing otherwise. The lists are empty again
    // when it returns, however the dialog was closed.
    std::optional<EditedList> execWith(const QString &caption);

    // The folder shown by the folder and file panes.
    QString folder() const { return folderPane_->folder(); }
    // Moves both panes to `folder` (which must exist); the drive box is left
    // alone (see selectDriveOfFolder).
    void setFolder(const QString &folder) { folderPane_->setFolder(folder); }
    // Sets the drive box to the volume holding the panes' folder.
    void selectDriveOfFolder() { folderPane_->selectDriveOfFolder(); }
    // Fills both lists at once (the edit command): path entries and names.
    void setSongs(const QStringList &entries, const QStringList &names);

    void FormShow();
    void FileListBoxClick();
    void cmdAddClick();
    void lstSongClick();
    void cmdRemoveClick();
    void cmdUpClick();
    void cmdDownClick();
    void cmdClearClick();
    void cmdOkClick();
    void cmdCanClick() { reject(); }
    void DriveComboBoxChange() { folderPane_->driveChanged(); }

    QPushButton *cmdOk = nullptr, *cmdCan = nullptr;
    QComboBox *DriveComboBox = nullptr;     // of the folder pane
    QTreeView *DirectoryListBox = nullptr; // of the folder pane
    QListView *FileListBox = nullptr;
    QPushButton *cmdAdd = nullptr, *cmdRemove = nullptr, *cmdClear = nullptr, *cmdUp = nullptr,
                *cmdDown = nullptr;
    QListWidget *lstSong = nullptr;
    // The path entries ("0 " + full path), parallel to lstSong; never shown.
    QStringList lstTemp;

public slots:
    void reject() override;
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void clearLists();
    void setOkDefault(bool enabled);
    void swapSongs(int from, int to);
    void showFileFolder(const QString &folder);

    UiDialogs *dialogs_;
    MessageFn message_;
    std::optional<EditedList> edited_; // set by OK
    FolderPane *folderPane_ = nullptr;
    QFileSystemModel *fileModel_ = nullptr;
    int quiet_ = 0; // > 0 while the program itself moves the selection of lstSong
};

} // namespace kazoon
