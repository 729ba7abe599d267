#include "lyrics/TfrmWrdDir.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include "app/AppTitle.h"
#include "app/Dialogs.h"
#include "app/Fonts.h"
#include "app/ToolButton.h"

namespace kazoon {

namespace {

// Rows of 16 pixels; the open folder in bold, so that it stands apart from
// a folder that is only highlighted.
class OpenFolderDelegate : public FixedRowDelegate {
public:
    OpenFolderDelegate(const FolderPane *pane, QObject *parent)
        : FixedRowDelegate(16, parent), pane_(pane)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        FixedRowDelegate::initStyleOption(option, index);
        const auto *model = qobject_cast<const QFileSystemModel *>(index.model());
        if (model && model->filePath(index) == pane_->folder())
            option->font.setBold(true);
    }

private:
    const FolderPane *pane_;
};

} // namespace

TfrmWrdDir::TfrmWrdDir(UiDialogs &dialogs, MessageFn message, QWidget *parent)
    : QDialog(parent), dialogs_(dialogs), message_(std::move(message))
{
    setObjectName(QStringLiteral("frmWrdDir"));
    setWindowTitle(QStringLiteral("フォルダの指定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(uiFont());
    setFixedSize(211, 248);

    // Created in tab order: OK, Cancel, drive box, folder tree.
    cmdOk = placeButton(this, "cmdOk", QStringLiteral("OK"), {32, 208, 65, 25});
    cmdOk->setDefault(true);
    cmdCan = placeButton(this, "cmdCan", QStringLiteral("キャンセル"), {112, 208, 65, 25});
    folderPane_ = new FolderPane(this, {16, 16, 177, 18}, {16, 48, 177, 145});
    folderPane_->setOpenOnActivate(true);
    DriveComboBox = folderPane_->driveBox();
    DirectoryListBox = folderPane_->folderTree();
    DirectoryListBox->setItemDelegate(new OpenFolderDelegate(folderPane_, DirectoryListBox));

    connect(cmdOk, &QPushButton::clicked, this, &TfrmWrdDir::cmdOkClick);
    connect(cmdCan, &QPushButton::clicked, this, &TfrmWrdDir::cmdCanClick);
    connect(folderPane_, &FolderPane::volumeRefused, this, [this](const QString &message) {
        if (message_)
            message_(message, kAppTitle, mb::IconStop);
    });

    // Created on the working folder and its drive.
    setFolder(QDir::currentPath());
    selectDriveOfFolder();
}

std::optional<QString> TfrmWrdDir::choose(const QString &currentFolder)
{
    chosen_.reset();
    if (QDir::isAbsolutePath(currentFolder) && QFileInfo(currentFolder).isDir())
        setFolder(currentFolder);
    selectDriveOfFolder();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    folderPane_->revealFolder();
    dialogs_.exec(this);
    return chosen_;
}

void TfrmWrdDir::cmdOkClick()
{
    chosen_ = folder();
    done(QDialog::Accepted);
}

void TfrmWrdDir::cmdCanClick()
{
    done(QDialog::Rejected);
}

void TfrmWrdDir::reject()
{
    cmdCanClick();
}

} // namespace kazoon
