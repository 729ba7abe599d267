// Each song's own key, tempo and level: the dialog, the list's and the
// panel's display, and the file beside the song list.
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

#include "app/AppTitle.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/ShortText.h"
#include "player/PlayerRules.h"
#include "player/SequencerDevice.h"
#include "songlist/CheckListBox.h"
#include "songlist/TfrmSong.h"

namespace kazoon {

void TfrmMain::buildSongSettingsCommands()
{
    mnuSongItem = new QAction(QStringLiteral("曲の設定(&T)..."), this);
    mnuSongItem->setObjectName(QStringLiteral("mnuSongItem"));
    QAction *gap = mnuEdit->addSeparator();
    gap->setObjectName(QStringLiteral("N12"));
    mnuEdit->addAction(mnuSongItem);
    connect(mnuSongItem, &QAction::triggered, this, &TfrmMain::mnuSongItemClick);

    QWidget *panel = lblInfo->parentWidget();
    auto *lblAdjust = new QLabel(panel);
    lblAdjust->setObjectName(QStringLiteral("lblAdjust"));
    // A screen reader reads the settings themselves; this says what they are.
    lblAdjust->setAccessibleDescription(QStringLiteral("曲の設定"));
    lblAdjust->setPalette(lblStep->palette());
    // A row of its own along the bottom of the panel, under the step display,
    // as high as the longest settings need in the panel's font.
    lblAdjust->setText(songlist::settingsBadge(
        {engine::SongAdjust::kMaxTranspose, engine::SongAdjust::kMaxTempo, engine::SongAdjust::kMaxVolume}));
    const QSize longest = lblAdjust->sizeHint();
    lblAdjust->clear();
    const QRect inside = panel->contentsRect().adjusted(3, 0, -3, 0);
    lblAdjust->setGeometry(inside.left(), inside.bottom() + 1 - longest.height(),
                           inside.width(), longest.height());
    this->lblAdjust = lblAdjust;

    // The list's context menu offers the same for the song under the mouse,
    // which the right click has selected.
    lstLive->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lstLive, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (!lstLive->isEnabled() || !mnuEdit->isEnabled() || lstLive->itemIndex() < 0)
            return;
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("lstLiveMenu"));
        menu.addAction(mnuSongItem);
        menu.exec(lstLive->viewport()->mapToGlobal(at));
    });
}

void TfrmMain::mnuSongItemClick()
{
    const QString path = songPath(lstLive->itemIndex());
    if (path.isEmpty())
        return;
    const engine::SongAdjust before = songSettings.value(path);
    const engine::SongAdjust heard = songLoaded && songFileName == path ? Player().Adjust() : before;
    TfrmSong dialog(this, path, before, this);
    if (dialogs().exec(&dialog) != QDialog::Accepted) {
        if (songLoaded && songFileName == path)
            applySongAdjust(heard);
        return;
    }
    const engine::SongAdjust after = dialog.adjust();
    if (after != before) {
        if (after.neutral())
            songSettings.remove(path);
        else
            songSettings.insert(path, after);
        listModified = true;
    }
    if (songLoaded && songFileName == path)
        applySongAdjust(after);
    showSongSettings();
}

void TfrmMain::applySongAdjust(const engine::SongAdjust &adjust)
{
    if (!songLoaded)
        return;
    SequencerDevice &dev = Player();
    if (dev.Adjust() != adjust.clamped()) {
        dev.SetAdjust(adjust);
        // The length in time follows the tempo.
        dev.SetTimeFormat(TimeFormat::Smpte24);
        statusPanel1->setText(player::lengthText(dev.Length()));
        dev.SetTimeFormat(TimeFormat::Steps);
    }
    lblAdjust->setText(songlist::settingsBadge(dev.Adjust()));
}

void TfrmMain::showSongSettings()
{
    for (int i = 0; i < lstLive->count(); ++i)
        lstLive->setBadge(i, songlist::settingsBadge(songSettings.value(songPath(i))));
    if (!songLoaded)
        lblAdjust->clear();
}

void TfrmMain::loadSongSettings(const QString &listPath)
{
    if (listPath.isEmpty()) { // a new list, brought back after a crash: no file of its own
        songSettings.clear();
        songSettingsFile.clear();
        return;
    }
    QStringList paths;
    for (int i = 0; i < lstDmy.count(); ++i)
        paths << songPath(i);
    const songlist::SettingsRead read = songlist::readSongSettings(listPath);
    songSettings = songlist::matchSongSettings(read.settings, paths);
    songSettingsFile = read.status == songlist::SettingsRead::Ok ? songlist::settingsPath(listPath) : QString();
    if (read.status == songlist::SettingsRead::Damaged)
        showMessage(QStringLiteral("曲の設定ファイルを読み込めません。\r\n")
                        + shortenMiddle(QFileInfo(songlist::settingsPath(listPath)).fileName())
                        + QStringLiteral("\r\n\r\nこのファイルは壊れているか、正しい形式ではありません。"
                                         "\r\n曲リストは曲の設定なしで開きます。"),
                    kAppTitle, mb::Ok | mb::IconExclamation);
}

QString TfrmMain::saveSongSettings(const QString &listPath)
{
    QStringList paths;
    bool any = false;
    for (int i = 0; i < lstDmy.count(); ++i) {
        paths << songPath(i);
        any = any || !songSettings.value(paths.last()).neutral();
    }
    const QString file = songlist::settingsPath(listPath);
    // A list without settings leaves no file behind, and touches none that
    // this program did not read or write itself (a damaged one stays).
    if (!any && songSettingsFile != file)
        return {};
    const QString error = songlist::writeSongSettings(listPath, songSettings, paths);
    if (error.isEmpty())
        songSettingsFile = any ? file : QString();
    return error;
}

} // namespace kazoon
