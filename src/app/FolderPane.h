#pragma once

#include <QStyledItemDelegate>
#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QTreeView;

namespace kazoon {

// Rows of a fixed height in a list or tree, whatever the font says.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    FixedRowDelegate(int height, QObject *parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int height_;
};

// Volume roots in the order of the drive box: "/" first, the others sorted.
QStringList orderDriveRoots(QStringList roots);

// A volume that cannot be listed (no medium, lost network share, no
// permission) is "not ready" for the drive box.
bool volumeReady(const QString &root);

// The drive box above the folder tree, as the song list editor and the
// lyrics folder chooser show them. Choosing a drive that is not ready puts
// the box back and reports it (volumeRefused); the owner shows the message.
class FolderPane : public QWidget {
    Q_OBJECT
public:
    static inline const QString kNotReadyText = QStringLiteral("デバイスの準備ができていません。");

    // The two controls go where the owner's layout wants them, in the
    // owner's coordinates (the pane covers both); a drive box without a
    // height gets the height it asks for.
    FolderPane(QWidget *parent, const QRect &driveBox, const QRect &folderTree);

    QComboBox *driveBox() const { return driveBox_; }
    QTreeView *folderTree() const { return folderTree_; }

    // The open folder (the one the tree's current row shows).
    QString folder() const { return folder_; }
    // Moves the tree to `folder`; the drive box is left alone (see
    // selectDriveOfFolder).
    void setFolder(const QString &folder);
    // Sets the drive box to the volume holding the open folder.
    void selectDriveOfFolder();
    // The drive box's volume was chosen: when it is another than the open
    // folder's, the tree moves to it, or the box goes back and volumeRefused
    // tells why.
    void driveChanged();
    // Scrolls the open folder into view.
    void revealFolder();
    // The lyrics folder chooser's way: a click only highlights a folder, a
    // double click or Enter opens it (and lists its subfolders). By default
    // the highlighted folder is the open one.
    void setOpenOnActivate(bool on);

signals:
    void folderChanged(const QString &folder);
    void volumeRefused(const QString &message);

private:
    void fillDriveBox();
    // The drive box's row of the volume holding the open folder, or -1.
    int driveOfFolder() const;
    void openFolder(const QString &folder);

    QComboBox *driveBox_ = nullptr;
    QTreeView *folderTree_ = nullptr;
    QFileSystemModel *model_ = nullptr;
    QString folder_;
    bool openOnActivate_ = false;
};

} // namespace kazoon
