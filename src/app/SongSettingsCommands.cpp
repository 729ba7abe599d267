// The window's side of each song's key, tempo and level: the menu item, the
// list's context menu, and what the settings ask of the list and the player.
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include "app/AppTitle.h"
#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/Environment.h"
#include "app/MainWindow.h"
#include "app/OutputControl.h"
#include "options/LiveSettings.h"
#include "player/PlayerRules.h"
#include "player/SequencerDevice.h"
#include "songlist/CheckListBox.h"
#include "songlist/PerSongSettings.h"

namespace kazoon {

void TfrmMain::buildSongSettingsCommands()
{
    mnuSongItem = new QAction(QStringLiteral("曲の設定(&T)..."), this);
    mnuSongItem->setObjectName(QStringLiteral("mnuSongItem"));
    QAction *gap = mnuEdit->addSeparator();
    gap->setObjectName(QStringLiteral("N12"));
    mnuEdit->addAction(mnuSongItem);
    connect(mnuSongItem, &QAction::triggered, this,
            [this] { songSettings_->edit(songPath(lstLive->itemIndex())); });

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

SongSettingsHost TfrmMain::songSettingsHost()
{
    SongSettingsHost host;
    host.songPaths = [this] {
        QStringList paths;
        for (int i = 0; i < lstDmy.count(); ++i)
            paths << songPath(i);
        return paths;
    };
    host.loadedSong = [this] { return songLoaded ? songFileName : QString(); };
    host.mayPlay = [this] { return cmdPlay->isEnabled(); };
    host.play = [this] { ButtonPlayClick(); };
    host.applyToPlayer = [this](const engine::SongAdjust &adjust) -> std::optional<engine::SongAdjust> {
        if (!songLoaded)
            return std::nullopt;
        SequencerDevice &dev = Player();
        if (dev.Adjust() != adjust.clamped()) {
            dev.SetAdjust(adjust);
            // The length in time follows the tempo.
            dev.SetTimeFormat(TimeFormat::Smpte24);
            statusPanel1->setText(player::lengthText(dev.Length()));
            dev.SetTimeFormat(TimeFormat::Steps);
        }
        return dev.Adjust();
    };
    host.playerAdjust = [this] { return Player().Adjust(); };
    host.defaultCountBars = [this] { return liveSettings().click().countBars; };
    host.applyClick = [this](bool clickDuringSong) {
        if (songLoaded)
            Player().SetClickDuringSong(clickDuringSong);
    };
    host.listChanged = [this] { listModified = true; };
    host.listRows = [this] { return lstLive->count(); };
    host.setBadge = [this](int row, const QString &badge) { lstLive->setBadge(row, badge); };
    host.showMessage = [this](const QString &text, const QString &caption, int flags) {
        return showMessage(text, caption, flags);
    };
    host.instruments.setupNext = [this](std::shared_ptr<const engine::SetupMessages> setup) {
        Player().SetSetupNext(std::move(setup));
    };
    host.instruments.songPort = [this] {
        if (!env_.output || env_.output->config().device != engine::OutputConfig::Device::Port)
            return std::string();
        return env_.output->config().port;
    };
    host.instruments.openPort = [](const std::string &port) {
        engine::OutputConfig config;
        config.device = engine::OutputConfig::Device::Port;
        config.port = port;
        return engine::openOutput(config);
    };
    // After the load, so that a song that starts at once is not held up.
    host.instruments.report = [this](const QString &text) {
        QTimer::singleShot(0, this, [this, text] { showMessage(text, kAppTitle, mb::Ok | mb::IconExclamation); });
    };
    host.ports = [this] { return env_.output ? env_.output->ports() : QStringList(); };
    host.replaceSetup = [this](std::shared_ptr<const engine::SetupMessages> setup) {
        if (songLoaded)
            Player().ReplaceSetup(std::move(setup));
    };
    return host;
}

} // namespace kazoon

namespace kazoon {

// A count leads into a start from the top or from the standby point. A song
// that runs on from the one before, a restart after a seek and a lesson
// passage start without one.
void TfrmMain::armCountIn()
{
    if (lessonMode || runningOn || !songLoaded)
        return;
    SequencerDevice &dev = Player();
    if (playerState == StandbyDone || (playerState == Ready && dev.Position() == 0))
        dev.SetCountInNext(songSettings_->countBars(songFileName));
}

} // namespace kazoon
