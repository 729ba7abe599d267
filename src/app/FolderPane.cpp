#include "app/FolderPane.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

namespace kazoon {

namespace {

// Enter opens the folder (the tree's activation) and ends there: the
// dialog's default button must not take the same key and close the dialog.
class FolderTree : public QTreeView {
public:
    using QTreeView::QTreeView;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        QTreeView::keyPressEvent(event);
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            event->accept();
    }
};

} // namespace

QSize FixedRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
}

QStringList orderDriveRoots(QStringList roots)
{
    roots.removeDuplicates();
    std::sort(roots.begin(), roots.end(), [](const QString &a, const QString &b) {
        if ((a == QLatin1String("/")) != (b == QLatin1String("/")))
            return a == QLatin1String("/");
        return a < b;
    });
    return roots;
}

bool volumeReady(const QString &root)
{
    const QFileInfo info(root);
    return info.isDir() && info.isReadable() && info.isExecutable() && QStorageInfo(root).isReady();
}

FolderPane::FolderPane(QWidget *parent, const QRect &driveBox, const QRect &folderTree) : QWidget(parent)
{
    driveBox_ = new QComboBox(this);
    driveBox_->setObjectName(QStringLiteral("DriveComboBox"));
    driveBox_->setAccessibleName(QStringLiteral("ドライブ"));
    QRect box = driveBox;
    if (box.height() <= 0)
        box.setHeight(driveBox_->sizeHint().height());
    const QRect area = box.united(folderTree);
    setGeometry(area);
    driveBox_->setGeometry(box.translated(-area.topLeft()));

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QDir::rootPath());
    folderTree_ = new FolderTree(this);
    folderTree_->setObjectName(QStringLiteral("DirectoryListBox"));
    folderTree_->setAccessibleName(QStringLiteral("フォルダ"));
    folderTree_->setGeometry(folderTree.translated(-area.topLeft()));
    folderTree_->setModel(model_);
    folderTree_->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column)
        folderTree_->hideColumn(column);

    connect(driveBox_, &QComboBox::activated, this, &FolderPane::driveChanged);
    connect(folderTree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && !openOnActivate_)
                    openFolder(model_->filePath(current));
            });
    connect(folderTree_, &QTreeView::activated, this, [this](const QModelIndex &index) {
        if (!openOnActivate_ || !index.isValid())
            return;
        openFolder(model_->filePath(index));
        folderTree_->expand(index);
    });
    // The folder's row moves while the folders above it are listed and
    // sorted; keep it in view until they are.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString &path) {
        if (folder_.startsWith(path))
            QTimer::singleShot(0, this, &FolderPane::revealFolder);
    });

    fillDriveBox();
}

void FolderPane::fillDriveBox()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        roots << volume.rootPath();
    roots << QDir::rootPath();
    for (const QString &root : orderDriveRoots(roots))
        driveBox_->addItem(root, root);
}

void FolderPane::setFolder(const QString &folder)
{
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    const QModelIndex index = model_->index(path);
    if (index.isValid()) {
        folderTree_->setCurrentIndex(index);
        folderTree_->scrollTo(index);
        if (openOnActivate_)
            folderTree_->expand(index);
    }
    openFolder(path);
}

void FolderPane::openFolder(const QString &folder)
{
    if (folder == folder_)
        return;
    folder_ = folder;
    folderTree_->viewport()->update();
    emit folderChanged(folder);
}

int FolderPane::driveOfFolder() const
{
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < driveBox_->count(); ++i) {
        const QString root = driveBox_->itemData(i).toString();
        const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        if ((folder_ == root || folder_.startsWith(prefix)) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

void FolderPane::selectDriveOfFolder()
{
    driveBox_->setCurrentIndex(driveOfFolder());
}

void FolderPane::driveChanged()
{
    // The box reports every pick: the drive of the open folder picked again
    // leaves the folder where it is.
    const int picked = driveBox_->currentIndex();
    if (picked >= 0 && picked == driveOfFolder())
        return;
    const QString root = driveBox_->currentData().toString();
    if (!volumeReady(root)) {
        selectDriveOfFolder();
        emit volumeRefused(kNotReadyText);
        return;
    }
    setFolder(root);
}

void FolderPane::setOpenOnActivate(bool on)
{
    openOnActivate_ = on;
    // Opening expands the folder; a double click must not fold it again.
    folderTree_->setExpandsOnDoubleClick(!on);
}

void FolderPane::revealFolder()
{
    folderTree_->scrollTo(folderTree_->currentIndex());
}

} // namespace kazoon
