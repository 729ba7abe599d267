// The main window's lyrics card commands: the function toggle, the refresh,
// the card maker and the three operations the player calls as songs load,
// play and move.
#include <QFileInfo>
#include <QLabel>

#include "app/Command.h"
#include "app/MainWindow.h"
#include "lyrics/LyricsCard.h"
#include "lyrics/LyricsPages.h"
#include "lyrics/SongLyrics.h"
#include "lyrics/TfrmCardMaker.h"
#include "lyrics/TfrmWrd.h"
#include "player/PlayerSupport.h"
#include "player/SequencerDevice.h"
#include "player/TrackBar.h"
#include "songlist/CheckListBox.h"

namespace kazoon {

void TfrmMain::mnuWrdItemClick(QObject *sender)
{
    if (cmdWrd->menuItem()->isChecked()) {
        cmdWrd->setDown(false);
        cmdWrdEdit->setEnabled(false);
        ResetLyricsCard();
        // At start-up the main window switches the function off before the
        // lyrics card window exists.
        if (!(sender && sender->objectName() == QLatin1String("frmMain")))
            hideLyricsWindow();
    } else {
        cmdWrd->setDown(true);
        cmdWrdEdit->button()->setEnabled(lstLive->count() > 0);
        cmdWrdEdit->menuItem()->setEnabled(true);
        ShowLyricsCard();
    }
}

void TfrmMain::mnuWrdEditItemClick()
{
    ResetLyricsCard();
    ShowLyricsCard();
}

void TfrmMain::mnuCardItemClick()
{
    // A walk through the list may still have its load pending: it is done
    // first, so that the maker works on the song the list shows.
    if (LagTimer.isActive() && !playing)
        LagTimerTimer();
    if (!songLoaded || playing || lessonMode)
        return;
    CardMakerHooks hooks;
    hooks.device = &Player();
    hooks.dialogs = &dialogs();
    hooks.showMessage = [this](const QString &text, const QString &caption, int flags) {
        return showMessage(text, caption, flags);
    };
    hooks.checkDevice = [this] { return player::checkDevice(*this); };
    hooks.cardSaved = [this] {
        ResetLyricsCard();
        ShowLyricsCard();
    };
    hooks.fileDialog = [this](bool open) { open ? OpenDialogShow() : OpenDialogClose(); };
    // Paged as the lyrics window would page them.
    hooks.songLyrics = [this] {
        const std::shared_ptr<const engine::Song> song = Player().OpenSong();
        return song ? lyrics::cardFromSong(*song, {-1, frmWrd ? frmWrd->linesThatFit() : 2})
                    : lyrics::LyricsCard();
    };
    TfrmCardMaker maker(std::move(hooks), this);
    maker.make(songFileName, lyrics::cardPathFor(songFileName, liveSettings()));
}

void TfrmMain::ResetLyricsCard()
{
    if (lstLive->count() == 0)
        return;
    lstStep.items.clear();
    lstStepMarks.clear();
    lstWrd.items.clear();
    lyricsLookedUp = false;
    lyricsMissing = false;
    lyricsPages_->clear();
    if (frmWrd)
        frmWrd->setCardName(QString());
}

void TfrmMain::ShowLyricsCard()
{
    if (lstLive->count() == 0 || !cmdWrd->menuItem()->isChecked() || lyricsMissing)
        return;
    const LiveSettings settings = liveSettings();
    // Before the lookup: the line takes room from the pages.
    lyricsPages_->setShowsNextLine(settings.showNextLine(), lstWrd.items);
    if (!lyricsLookedUp) {
        lyrics::LyricsCard card;
        // Without a song there is no name to look for (an empty name would
        // find a file called "txt" in the working folder).
        if (!songFileName.isEmpty())
            card = lyrics::readLyricsCard(lyrics::cardPathFor(songFileName, settings).path);
        lyricsLookedUp = true;
        QString cardName = lyrics::cardName(songFileName);
        if (card.usable()) {
            lyricsPages_->fromFile();
        } else if (settings.songLyrics() && songLoaded) {
            // No card file: the lyrics the song carries, read once here.
            card = lyricsPages_->fromSong(Player().OpenSong().get());
            cardName = QFileInfo(songFileName).fileName();
        }
        if (!card.usable()) {
            lyricsMissing = true;
            hideLyricsWindow();
            return;
        }
        lstStep.items = std::move(card.steps);
        lstStepMarks = std::move(card.marks);
        lstWrd.items = std::move(card.pages);
        if (frmWrd)
            frmWrd->setCardName(cardName);
    }
    UpdateLyricsPage();
    if (!frmWrd)
        return;
    if (settings.showWhileStopped() || playing)
        frmWrd->showCard();
    else
        frmWrd->hide();
}

void TfrmMain::UpdateLyricsPage()
{
    // Runs on every tick while a song plays: a scan of the mark values kept
    // beside lstStep, and the label touched only when the page changes.
    if (!cmdWrd->menuItem()->isChecked() || !lyricsLookedUp || lyricsMissing || !frmWrd)
        return;
    lyricsPages_->show(lyrics::pageForPosition(lstStepMarks, stepDisplay, trackBar->Position()),
                       lstWrd.items);
}

void TfrmMain::buildLyricsPages()
{
    lyrics::LyricsPages::Hooks hooks;
    hooks.show = [this](const QString &page, const QString &nextLine) {
        if (frmWrd) {
            frmWrd->setLyrics(page);
            frmWrd->setNextLine(nextLine);
        }
    };
    hooks.showNextLine = [this](bool on) {
        if (frmWrd)
            frmWrd->setShowsNextLine(on);
    };
    hooks.linesThatFit = [this] { return frmWrd ? frmWrd->linesThatFit() : 2; };
    hooks.repaged = [this](lyrics::LyricsCard card) {
        lstStep.items = std::move(card.steps);
        lstStepMarks = std::move(card.marks);
        lstWrd.items = std::move(card.pages);
        UpdateLyricsPage();
    };
    lyricsPages_ = std::make_unique<lyrics::LyricsPages>(std::move(hooks));
}

void TfrmMain::hideLyricsWindow()
{
    if (frmWrd)
        frmWrd->hide();
}

} // namespace kazoon
