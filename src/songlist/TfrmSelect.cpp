#include "songlist/TfrmSelect.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/Fonts.h"
#include "app/ToolButton.h"
#include "app/AppTitle.h"

namespace kazoon {

namespace editor {

QString joinPath(const QString &folder, const QString &fileName)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + fileName;
    return folder + QLatin1Char('/') + fileName;
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

} // namespace editor

TfrmSelect::TfrmSelect(UiDialogs *dialogs, MessageFn message, QWidget *parent)
    : QDialog(parent), dialogs_(dialogs), message_(std::move(message))
{
    setObjectName(QStringLiteral("frmSelect"));
    // A fixed border without title-bar buttons: the dialog closes by OK or cancel.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(417, 289);
    setFont(uiFont());

    buildControls();
    setFolder(QDir::currentPath());
    selectDriveOfFolder();
}

void TfrmSelect::buildControls()
{
    // Created in tab order.
    cmdOk = placeButton(this, "cmdOk", QStringLiteral("OK"), {232, 248, 73, 25});
    cmdCan = placeButton(this, "cmdCan", QStringLiteral("キャンセル"), {312, 248, 73, 25});

    folderPane_ = new FolderPane(this, {16, 16, 185, 0}, {16, 40, 185, 113});
    DriveComboBox = folderPane_->driveBox();
    DirectoryListBox = folderPane_->folderTree();

    fileModel_ = new QFileSystemModel(this);
    fileModel_->setFilter(QDir::Files);
    // Without QDir::CaseSensitive the mask also matches ".MID" and ".Mid".
    fileModel_->setNameFilters({QStringLiteral("*.mid")});
    fileModel_->setNameFilterDisables(false);
    FileListBox = new QListView(this);
    FileListBox->setObjectName(QStringLiteral("FileListBox"));
    FileListBox->setAccessibleName(QStringLiteral("ファイル"));
    FileListBox->setGeometry(16, 160, 185, 113);
    FileListBox->setModel(fileModel_);
    FileListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);

    cmdAdd = placeButton(this, "cmdAdd", QStringLiteral("追加(&A)"), {216, 16, 57, 25});
    cmdRemove = placeButton(this, "cmdRemove", QStringLiteral("削除(&R)"), {280, 16, 57, 25});
    cmdClear = placeButton(this, "cmdClear", QStringLiteral("クリア(&C)"), {344, 16, 57, 25});
    cmdUp = placeButton(this, "cmdUp", QStringLiteral("↑(&U)"), {248, 48, 41, 25});
    cmdDown = placeButton(this, "cmdDown", QStringLiteral("↓(&D)"), {328, 48, 41, 25});

    lstSong = new QListWidget(this);
    lstSong->setObjectName(QStringLiteral("lstSong"));
    lstSong->setAccessibleName(QStringLiteral("曲リスト"));
    lstSong->setGeometry(216, 88, 185, 145);
    lstSong->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSong->setUniformItemSizes(true);
    // Songs are listed in rows of a fixed height, as in the main window's list.
    lstSong->setItemDelegate(new FixedRowDelegate(14, lstSong));

    connect(cmdOk, &QPushButton::clicked, this, &TfrmSelect::cmdOkClick);
    connect(cmdCan, &QPushButton::clicked, this, &TfrmSelect::cmdCanClick);
    connect(folderPane_, &FolderPane::folderChanged, this, &TfrmSelect::showFileFolder);
    connect(folderPane_, &FolderPane::volumeRefused, this, [this](const QString &message) {
        if (message_)
            message_(message, kAppTitle, mb::IconStop);
    });
    connect(FileListBox->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmSelect::FileListBoxClick);
    connect(FileListBox, &QListView::doubleClicked, this, &TfrmSelect::cmdAddClick);
    connect(cmdAdd, &QPushButton::clicked, this, &TfrmSelect::cmdAddClick);
    connect(cmdRemove, &QPushButton::clicked, this, &TfrmSelect::cmdRemoveClick);
    connect(cmdClear, &QPushButton::clicked, this, &TfrmSelect::cmdClearClick);
    connect(cmdUp, &QPushButton::clicked, this, &TfrmSelect::cmdUpClick);
    connect(cmdDown, &QPushButton::clicked, this, &TfrmSelect::cmdDownClick);
    connect(lstSong, &QListWidget::itemClicked, this, &TfrmSelect::lstSongClick);
    connect(lstSong, &QListWidget::currentRowChanged, this, [this] {
        if (quiet_ == 0)
            lstSongClick();
    });
}

std::optional<EditedList> TfrmSelect::execWith(const QString &caption)
{
    edited_.reset();
    setWindowTitle(caption);
    FormShow();
    if (dialogs_)
        dialogs_->exec(this);
    else
        exec();
    clearLists();
    return std::exchange(edited_, std::nullopt);
}

void TfrmSelect::showFileFolder(const QString &folder)
{
    // A selection left from the previous folder would be added under the new one.
    FileListBox->clearSelection();
    fileModel_->setRootPath(folder);
    FileListBox->setRootIndex(fileModel_->index(folder));
    FileListBoxClick();
}

void TfrmSelect::setSongs(const QStringList &entries, const QStringList &names)
{
    const QScopedValueRollback quiet(quiet_, quiet_ + 1);
    lstTemp = entries;
    lstSong->clear();
    lstSong->addItems(names);
}

void TfrmSelect::FormShow()
{
    for (QPushButton *button : {cmdAdd, cmdRemove, cmdUp, cmdDown})
        button->setEnabled(false);
    setOkDefault(false);
    cmdClear->setEnabled(lstSong->count() > 0);
}

void TfrmSelect::FileListBoxClick()
{
    cmdAdd->setEnabled(FileListBox->selectionModel()->hasSelection());
}

void TfrmSelect::cmdAddClick()
{
    QModelIndexList files = FileListBox->selectionModel()->selectedIndexes();
    std::sort(files.begin(), files.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &file : std::as_const(files)) {
        const QString name = fileModel_->fileName(file);
        lstTemp << QStringLiteral("0 ") + editor::joinPath(folder(), name);
        lstSong->addItem(name);
    }
    FileListBox->clearSelection();
    cmdAdd->setEnabled(false);
    cmdClear->setEnabled(true);
    setOkDefault(true);
}

void TfrmSelect::lstSongClick()
{
    const int i = lstSong->currentRow();
    if (i < 0)
        return;
    cmdRemove->setEnabled(true);
    cmdUp->setEnabled(i > 0);
    cmdDown->setEnabled(i < lstSong->count() - 1);
}

void TfrmSelect::cmdRemoveClick()
{
    const int i = lstSong->currentRow();
    if (i < 0 || i >= lstTemp.size())
        return;
    {
        const QScopedValueRollback quiet(quiet_, quiet_ + 1);
        lstTemp.removeAt(i);
        delete lstSong->takeItem(i);
        lstSong->setCurrentRow(-1);
    }
    for (QPushButton *button : {cmdRemove, cmdUp, cmdDown})
        button->setEnabled(false);
    const bool songsLeft = lstSong->count() > 0;
    setOkDefault(songsLeft);
    cmdClear->setEnabled(songsLeft);
}

void TfrmSelect::cmdUpClick()
{
    const int i = lstSong->currentRow();
    if (i <= 0)
        return;
    swapSongs(i, i - 1);
    if (i == 1)
        cmdUp->setEnabled(false);
    cmdDown->setEnabled(true);
    setOkDefault(true);
}

void TfrmSelect::cmdDownClick()
{
    const int i = lstSong->currentRow();
    if (i < 0 || i >= lstSong->count() - 1)
        return;
    swapSongs(i, i + 1);
    if (i + 1 == lstSong->count() - 1)
        cmdDown->setEnabled(false);
    cmdUp->setEnabled(true);
    setOkDefault(true);
}

void TfrmSelect::swapSongs(int from, int to)
{
    const QScopedValueRollback quiet(quiet_, quiet_ + 1);
    lstTemp.swapItemsAt(from, to);
    QListWidgetItem *item = lstSong->takeItem(from);
    lstSong->insertItem(to, item);
    lstSong->setCurrentRow(to);
}

void TfrmSelect::cmdClearClick()
{
    clearLists();
    for (QPushButton *button : {cmdClear, cmdRemove, cmdUp, cmdDown})
        button->setEnabled(false);
    setOkDefault(false);
}

void TfrmSelect::cmdOkClick()
{
    if (lstTemp.isEmpty())
        return;
    EditedList list{lstTemp, {}, windowTitle() == kNewListEditorCaption};
    for (int i = 0; i < lstSong->count(); ++i)
        list.names << lstSong->item(i)->text();
    edited_ = std::move(list);
    accept();
    clearLists();
}

void TfrmSelect::reject()
{
    QDialog::reject();
    clearLists();
}

void TfrmSelect::clearLists()
{
    const QScopedValueRollback quiet(quiet_, quiet_ + 1);
    lstTemp.clear();
    lstSong->clear();
}

void TfrmSelect::setOkDefault(bool enabled)
{
    cmdOk->setEnabled(enabled);
    cmdOk->setDefault(enabled);
}

void TfrmSelect::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    // Showing makes the first button the default when none is; a disabled
    // OK must not keep that role.
    if (visible && !cmdOk->isEnabled())
        cmdOk->setDefault(false);
}

void TfrmSelect::showEvent(QShowEvent *event)
{
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
    QTimer::singleShot(0, folderPane_, &FolderPane::revealFolder);
}

} // namespace kazoon
