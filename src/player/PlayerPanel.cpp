#include <QLabel>
#include <QMenu>
#include <QToolBar>

#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/ShortText.h"
#include "app/ShowRecorder.h"
#include "player/PlayerRules.h"
#include "player/PlayerSupport.h"
#include "player/SequencerDevice.h"
#include "player/TrackBar.h"
#include "songlist/CheckListBox.h"
#include "songlist/PerSongSettings.h"
#include "songlist/ListHint.h"

namespace kazoon {

namespace player {

DeviceCheck checkDevice(TfrmMain &w)
{
    const DeviceCheck result = deviceCheck(w.Player().Error());
    w.CheckPlayerError();
    w.portInUse = false;
    return result;
}

void showStep(TfrmMain &w, StepDisplay step)
{
    w.stepDisplay = step;
    w.lblStep->setText(step.text());
}

void startOnce(QTimer &timer)
{
    if (!timer.isActive())
        timer.start();
}

} // namespace player

void TfrmMain::LoadSelectedSong()
{
    SequencerDevice &dev = Player();
    if (songLoaded) {
        dev.Close();
        CheckPlayerError();
        songLoaded = false;
    }
    ResetLyricsCard();
    songSettings_->clearPanel();
    if (lstLive->count() == 0)
        return;

    const int i = lstLive->itemIndex();
    songIndex = i;
    lstDmy.itemIndex = i;
    showRecorder_->changed();
    songFileName = songPath(i);
    statusPanel0->setText(shortenMiddle(songFileName));

    songSettings_->prepareLoad(songFileName);
    try {
        dev.Open(songFileName.toStdString());
    } catch (const DeviceError &) {
        ReportLoadFailure();
        return;
    }

    dev.SetTimeFormat(TimeFormat::Smpte24);
    statusPanel1->setText(player::lengthText(dev.Length()));
    dev.SetTimeFormat(TimeFormat::Steps);
    songLoaded = true;
    songSettings_->applyStored(songFileName);

    trackBar->setMax(int(dev.Length()));
    dev.Seek(0);
    trackBar->setPosition(int(dev.Position()));
    player::showStep(*this, player::StepDisplay::at(dev.Position()));
    trackBar->setEnabled(true);

    setListHint(i);

    if (medleyContinuation) {
        // The end-of-song handler starts this song at once; the commands
        // stay as the play left them.
        medleyContinuation = false;
    } else {
        if (cmdQs->isDown()) {
            cmdPlay->setEnabled(false);
            cmdSB->setEnabled(true);
            playerState = QsWaiting;
        } else {
            cmdSB->setEnabled(false);
            cmdPlay->setDown(false);
            cmdPlay->setEnabled(true);
            playerState = Ready;
        }
        cmdPrev->setEnabled(false);
        cmdStop->setEnabled(false);
        ShowInfoMessage();
    }
    ShowLyricsCard();
}

void TfrmMain::ReportLoadFailure()
{
    LeavePlayingState();
    hideLyricsWindow();

    showMessage(QString::fromStdString(Player().ErrorText()) + QStringLiteral("\n\r\n\r")
                    + shortenMiddle(songFileName),
                kAppTitle, mb::Ok | mb::IconStop);

    playerState = LoadError;
    ShowInfoMessage();
    cmdSB->setEnabled(false);
    cmdPlay->setEnabled(false);
    cmdStop->setEnabled(false);
    cmdPrev->setEnabled(false);

    player::showStep(*this, player::StepDisplay());
    trackBar->setPosition(0);
    trackBar->setEnabled(false);
    statusPanel1->clear();

    lstLive->setToolTip(songlist::loadFailureHint(lstLive->lineText(lstLive->itemIndex())));
}

void TfrmMain::CheckPlayerError()
{
    const int error = Player().Error();
    if (error == 0)
        return;
    const QString text = QString::fromStdString(Player().ErrorText());
    if (error == device_error::PortInUse) {
        showMessage(text, kAppTitle, mb::Ok | mb::IconStop);
        portInUse = true;
        return;
    }
    showMessage(text + QStringLiteral("\n\r\n\r")
                    + QStringLiteral("予期しないエラーが発生しました。カズーンを終了します。"),
                kAppTitle, mb::Ok | mb::IconStop);
    close();
}

void TfrmMain::ShowInfoMessage()
{
    const QString text = player::infoText(playerState);
    if (!text.isNull())
        lblInfo->setText(text);
}

void TfrmMain::EnterPlayingState()
{
    setListCommands(false);
    for (Command *c : {cmdWrdEdit, cmdWrd, cmdLesson, cmdSflg, cmdEflg})
        c->setEnabled(false);
    playTimerTag = 0;
    PlayTimer.start();
    playing = true;
    if (!lessonMode) // practice is no show
        showRecorder_->startClock();
}

void TfrmMain::LeavePlayingState()
{
    if (!lessonMode) {
        setListCommands(true);
    } else {
        UpdateFlagButtons();
        mnuSet->setEnabled(true);
        mnuAboutItem->setEnabled(true);
    }
    if (liveSettings().lessonAllowed())
        cmdLesson->setEnabled(true);
    cmdPlay->setDown(false);
    cmdWrdEdit->setEnabled(cmdWrd->isDown());
    cmdWrd->setEnabled(true);
    PlayTimer.stop();
    playTimerTag = 0;
    playing = false;
}

void TfrmMain::UpdateFlagButtons()
{
    cmdSflg->setEnabled(trackBar->Position() <= trackBar->Max() - 16);
    cmdEflg->setEnabled(trackBar->Position() > 14);
}

} // namespace kazoon
