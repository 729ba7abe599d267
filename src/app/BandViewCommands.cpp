// The window's side of the band view: the show as the band reads it, and the
// stage view's menu item.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include "app/Command.h"
#include "app/MainWindow.h"
#include "app/ShowRecorder.h"
#include "bandview/BandView.h"
#include "lyrics/LyricsPages.h"
#include "lyrics/TfrmWrd.h"
#include "player/TrackBar.h"
#include "songlist/CheckListBox.h"

namespace kazoon {

BandViewHost TfrmMain::bandViewHost()
{
    BandViewHost host;
    host.content = [this] {
        StageContent c;
        const int n = lstLive->count();
        c.timeLeft = showRecorder_->timeLeftLabel()->text();
        if (n == 0)
            return c;
        c.songs.reserve(n);
        for (int i = 0; i < n; ++i)
            c.songs.append({stageSongTitle(lstLive->lineText(i)), lstLive->isChecked(i)});
        c.index = qBound(0, lstLive->itemIndex() >= 0 ? lstLive->itemIndex() : songIndex, n - 1);
        c.current = c.songs.at(c.index).title;
        c.medley = c.songs.at(c.index).medley;
        // A marked last song repeats: it is its own next song.
        if (c.index + 1 < n)
            c.next = c.songs.at(c.index + 1).title;
        else if (c.medley)
            c.next = c.current;
        c.state = stageStateOf(playerState, playing, trackBar->Position() == 0);
        if (frmWrd && cmdWrd->menuItem()->isChecked() && !lyricsMissing) {
            c.lyrics = frmWrd->lyrics();
            if (frmWrd->showsNextLine())
                c.nextLine = frmWrd->nextLine();
        }
        return c;
    };
    host.showStatus = [this](const QString &text, int timeoutMs) {
        statusBar_->showMessage(text, timeoutMs);
    };
    host.stageKeys.keyDown = [this](QObject *sender, int key, Qt::KeyboardModifiers modifiers) {
        return FormKeyDown(sender, key, modifiers);
    };
    host.stageKeys.keyUp = [this](QObject *sender, int key, Qt::KeyboardModifiers modifiers) {
        FormKeyUp(sender, key, modifiers);
    };
    return host;
}

void TfrmMain::buildBandViewCommands()
{
    bandView_ = std::make_unique<BandView>(bandViewHost());
    auto *item = new QAction(QStringLiteral("ステージ表示(&V)"), this);
    item->setObjectName(QStringLiteral("mnuStageItem"));
    mnuSet->insertAction(mnuOptionItem, item);
    connect(item, &QAction::triggered, this, [this] { bandView_->showStage(); });
    // A new page goes out as soon as the handler that turned it is done,
    // not at the next look.
    connect(lyricsPages_.get(), &lyrics::LyricsPages::pageChanged, this,
            [this] { bandView_->refresh(); }, Qt::QueuedConnection);
}

} // namespace kazoon
