#pragma once

#include <QDialog>

#include "app/FolderPane.h"

class QComboBox;
class QPushButton;
class QTreeView;

namespace kazoon {

class TfrmMain;

// The lyrics folder chooser, opened from the options dialog's browse button:
// a drive box above a folder tree. OK writes the open folder (the one last
// opened by a double click or Enter, not a merely highlighted one) into the
// options dialog's lyrics folder. Drive and folder stay as the performer left
// them from one opening to the next.
class TfrmWrdDir : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWrdDir(TfrmMain *main, QWidget *parent = nullptr);

    // Opens the chooser as the browse button does: on `currentFolder` when it
    // is an existing folder, otherwise where it was left; shown modally
    // through the main window's dialog seam.
    int choose(const QString &currentFolder);

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
    TfrmMain *main_;
    FolderPane *folderPane_ = nullptr;
};

} // namespace kazoon
