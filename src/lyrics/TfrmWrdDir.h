#pragma once

#include <QDialog>
#include <optional>

#include "app/Dialogs.h"
#include "app/FolderPane.h"

class QComboBox;
class QPushButton;
class QTreeView;

namespace kazoon {

// The lyrics folder chooser, opened from the options dialog's browse button:
// a drive box above a folder tree. OK writes the open folder (the one last
// opened by a double click or Enter, not a merely highlighted one) as the
// chosen folder. Drive and folder stay as the performer left them from one
// opening to the next.
class TfrmWrdDir : public QDialog {
    Q_OBJECT
public:
    // Shown through `dialogs`; `message` tells a volume that is not ready.
    TfrmWrdDir(UiDialogs &dialogs, MessageFn message, QWidget *parent = nullptr);

    // Opens the chooser as the browse button does: on `currentFolder` when it
    // is an existing folder, otherwise where it was left; shown modally
    // through the dialog seam. The open folder on OK; nothing on Cancel.
    std::optional<QString> choose(const QString &currentFolder);

    // The open folder; a volume root keeps its "/".
    QString folder() const { return folderPane_->folder(); }
    void setFolder(const QString &folder) { folderPane_->setFolder(folder); }
    void selectDriveOfFolder() { folderPane_->selectDriveOfFolder(); }

    void DriveComboBoxChange() { folderPane_->driveChanged(); }
    void cmdOkClick();
    void cmdCanClick();

    QComboBox *DriveComboBox = nullptr;    // of the folder pane
    QTreeView *DirectoryListBox = nullptr; // of the folder pane
    QPushButton *cmdOk = nullptr, *cmdCan = nullptr;

public slots:
    // Esc and the close box cancel as the Cancel button does.
    void reject() override;

private:
    UiDialogs &dialogs_;
    MessageFn message_;
    std::optional<QString> chosen_; // set by OK
    FolderPane *folderPane_ = nullptr;
};

} // namespace kazoon
