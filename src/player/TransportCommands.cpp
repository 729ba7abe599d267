// The main window's transport commands: play, stop, back to the top, the
// position bar and its timer, and what follows the end of a song.
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>

#include "app/Command.h"
#include "app/MainWindow.h"
#include "app/ShowRecorder.h"
#include "player/PlayerSupport.h"
#include "player/SequencerDevice.h"
#include "player/TrackBar.h"
#include "songlist/CheckListBox.h"

namespace kazoon {

// How long the loss of the MIDI clock's port stays in the status bar.
constexpr int kClockLossStatusMs = 30'000;

void TfrmMain::ButtonPlayClick()
{
    SequencerDevice &dev = Player();
    armCountIn();
    if (playerState == StandbyDone) {
        dev.SetNotifyNext(true);
        dev.Resume();
        if (player::checkDevice(*this) == player::DeviceCheck::PortBusy)
            return;
        playerState = Playing;
    } else {
        if (lessonMode) {
            dev.SetEndPosition(trackBar->SelEnd());
            trackBar->setEnabled(false);
        }
        // Every play asks to hear of its end: a medley then runs into the
        // next song at once instead of waiting for the 50 ms poll, which stays
        // as the backstop (a second report finds the next song and does nothing).
        dev.SetNotifyNext(true);
        dev.Play();
        // A refused play leaves the panel as it was, its state included.
        if (player::checkDevice(*this) == player::DeviceCheck::PortBusy)
            return;
        playerState = lessonMode ? Lesson : Playing;
    }
    if (showRecorder_->setOver() && !lessonMode) // a song of the show starts again
        showRecorder_->setSetOver(false);
    cmdPlay->setDown(true);
    cmdPlay->setEnabled(false);
    cmdStop->setEnabled(true);
    cmdPrev->setEnabled(true);
    ShowInfoMessage();
    EnterPlayingState();
    ShowLyricsCard();
}

void TfrmMain::ButtonStopClick()
{
    SequencerDevice &dev = Player();
    if (lessonMode ? dev.Position() >= dev.EndPosition() : dev.Position() == dev.Length())
        return;
    // A restart pending after a seek would otherwise reload the song 300 ms
    // after the stop and lose the stop position.
    LagTimer.stop();
    dev.Stop();
    player::checkDevice(*this);
    LeavePlayingState();
    if (!liveSettings().showWhileStopped())
        hideLyricsWindow();
    cmdPlay->setDown(false);
    cmdPlay->setEnabled(true);
    cmdStop->setEnabled(false);
    cmdPrev->setEnabled(true);
    if (lessonMode) {
        trackBar->setEnabled(true);
        playerState = Lesson;
    } else {
        playerState = Ready;
    }
    ShowInfoMessage();
}

void TfrmMain::ButtonPrevClick()
{
    SequencerDevice &dev = Player();
    if (playing && dev.Position() < 2)
        return;
    PlayTimer.stop();
    playTimerTag = 0;
    if (lessonMode) {
        trackBar->setPosition(trackBar->SelStart());
        dev.Seek(trackBar->SelStart());
        dev.SetEndPosition(trackBar->SelEnd());
        if (startFlagAtStepOne)
            showStepOneAtZero = true;
        TrackBarChange();
    } else {
        dev.SeekToStart();
        CheckPlayerError();
        trackBar->setPosition(int(dev.Position()));
    }
    UpdateLyricsPage();
    if (cmdPlay->button()->isEnabled()) {
        cmdPrev->setEnabled(false);
        if (!lessonMode) {
            playerState = Ready;
            ShowInfoMessage();
        }
    }
}

void TfrmMain::PlayTimerTimer()
{
    if (!songLoaded) { // nothing to follow; the device would refuse the length
        PlayTimer.stop();
        return;
    }
    SequencerDevice &dev = Player();
    if (const std::string lost = dev.TakeMidiClockLoss(); !lost.empty())
        statusBar_->showMessage(QStringLiteral("MIDIクロック: ") + QString::fromStdString(lost), kClockLossStatusMs);
    const std::int64_t pos = dev.Position();
    const std::int64_t length = dev.Length();
    if (lessonMode ? pos >= dev.EndPosition() - 1 : pos == length) {
        cmdStop->setEnabled(false);
        cmdPrev->setEnabled(false);
    }
    if (!lessonMode && pos == length && dev.Mode() == DeviceMode::Stopped) {
        PlayerNotify();
        return;
    }
    // The passage stands at its end flag and the device's word of it went
    // astray: the loop goes on from here rather than standing still.
    if (lessonMode && playing && !LagTimer.isActive() && pos >= trackBar->SelEnd()
        && dev.Mode() == DeviceMode::Stopped) {
        PlayerNotify();
        return;
    }
    // The output went away mid-song (a cable pulled): the device has stopped
    // and says why. Stop as Esc would, so the reason is shown at once and the
    // panel is ready for the next play rather than left running.
    if (playing && !LagTimer.isActive() && dev.Mode() == DeviceMode::Stopped
        && dev.Error() == device_error::PortInUse) {
        ButtonStopClick();
        return;
    }
    // The mark tells TrackBarChange that this change is the timer's own; it is
    // dropped again at once, so that an assignment that changes nothing
    // cannot leave it to swallow the performer's next seek.
    const auto followOnBar = [&] {
        playTimerTag = 1;
        trackBar->setPosition(int(pos));
        playTimerTag = 0;
    };
    // The standby run is played up to the standby step and stops there, so
    // the step is never passed between two ticks. The bar shows where the
    // song is parked, as the keys start from there. The run is stopped, not
    // paused: a run caught at its end position before the device noticed
    // would otherwise resume only up to that position, and Enter would
    // start nothing.
    if (playerState == StandingBy && pos >= standbyPosition) {
        followOnBar();
        dev.Stop();
        CheckPlayerError();
        standbyPosition = 0;
        PlayerNotify();
        return;
    }
    followOnBar();
    player::showStep(*this, player::StepDisplay::at(pos, true));
    UpdateLyricsPage();
}

void TfrmMain::TrackBarChange()
{
    if (playTimerTag == 1) {
        playTimerTag = 0;
        return;
    }
    // Without an open song the bar only goes back to 0 after a failed load;
    // there is nothing to seek and the failure's display must stay.
    if (!songLoaded)
        return;
    SequencerDevice &dev = Player();
    PlayTimer.stop();
    playTimerTag = 0;
    dev.Seek(trackBar->Position());

    const std::int64_t pos = dev.Position();
    if (trackBar->Position() != 0) {
        player::showStep(*this, player::StepDisplay::at(pos, true));
    } else {
        player::showStep(*this, player::StepDisplay::at(0, showStepOneAtZero));
        showStepOneAtZero = false;
    }

    if (playing) {
        if (trackBar->Position() == trackBar->Max())
            trackBar->setEnabled(false);
        PlayTimer.stop();
        playTimerTag = 0;
        player::startOnce(LagTimer);
    } else if (lessonMode) {
        const int p = trackBar->Position();
        const bool stepZeroShown = stepDisplay.shows(0);
        const bool stepOneShown = stepDisplay.shows(1);
        cmdPlay->setEnabled(p >= trackBar->SelStart() && p <= trackBar->SelEnd()
                            && !(stepZeroShown && startFlagAtStepOne));
        if (p != trackBar->SelStart())
            cmdPrev->setEnabled(true);
        else
            cmdPrev->setEnabled((p == 0 && stepZeroShown && startFlagAtStepOne)
                                || (stepOneShown && !startFlagAtStepOne));
        UpdateFlagButtons();
    } else {
        if (pos == 0 && stepDisplay.shows(0)) {
            cmdPrev->setEnabled(false);
        } else {
            cmdSB->setEnabled(false);
            cmdPlay->setEnabled(true);
            cmdPrev->setEnabled(true);
        }
        playerState = Ready;
        ShowInfoMessage();
    }
    UpdateLyricsPage();
}

void TfrmMain::LagTimerTimer()
{
    LagTimer.stop();
    if (lstLive->isEnabled())
        LoadSelectedSong();
    // Enabled whatever happened, so that Enter cannot stay dead after a walk
    // whose load was overtaken by a play started with the mouse.
    ToolBarPlayer->setEnabled(true);
    if (playing) {
        SequencerDevice &dev = Player();
        // A passage restarted by back-to-start still ends at its end flag.
        if (lessonMode)
            dev.SetEndPosition(trackBar->SelEnd());
        dev.SetNotifyNext(true);
        dev.Play();
        player::checkDevice(*this);
        playTimerTag = 0;
        PlayTimer.start();
    }
}

void TfrmMain::PlayerNotify()
{
    SequencerDevice &dev = Player();
    // While a restart after a seek is pending the song stands still; a
    // notification now belongs to the play that the seek ended.
    if (playing && LagTimer.isActive())
        return;

    if (lessonMode) {
        // The passage has come to its end flag and starts again at once; the
        // device silences the end and chases the start flag's state. A word
        // that arrives after a stop is no end: the panel is stopped.
        if (playing && songLoaded && dev.Position() == trackBar->SelEnd()
            && dev.Mode() != DeviceMode::Playing) {
            dev.Seek(trackBar->SelStart());
            dev.SetEndPosition(trackBar->SelEnd());
            dev.SetNotifyNext(true);
            dev.Play();
            player::checkDevice(*this);
            cmdStop->setEnabled(true);
            cmdPrev->setEnabled(true);
        }
        return;
    }

    if (playerState == StandingBy) {
        // Only a run that has come to rest has arrived; a late notification
        // during the run is not its end.
        if (dev.Mode() == DeviceMode::Playing)
            return;
        cmdSB->setDown(false);
        cmdPlay->setEnabled(true);
        cmdPrev->setEnabled(true);
        trackBar->setEnabled(true);
        playerState = StandbyDone;
        ShowInfoMessage();
        LeavePlayingState();
        player::showStep(*this, player::StepDisplay::at(dev.Position(), true));
        return;
    }

    if (!songLoaded || dev.Position() != dev.Length())
        return;

    playing = false;
    if (cmdWrd->isDown() && !liveSettings().showWhileStopped())
        hideLyricsWindow();
    const int i = lstLive->itemIndex();
    if (i < lstLive->count() - 1) {
        lstDmy.itemIndex = i + 1;
        lstLive->setItemIndex(i + 1);
    }
    // A marked last song repeats, except one with nothing in it: it would
    // reload and restart without end, and Esc could not stop it.
    const bool repeatsEmpty = i == lstLive->count() - 1 && dev.Length() == 0;
    if (lstLive->isChecked(i) && !repeatsEmpty) {
        medleyContinuation = true;
        LoadSelectedSong();
        if (songLoaded) {
            runningOn = true;
            ButtonPlayClick();
            runningOn = false;
        } else
            medleyContinuation = false;
    } else {
        // The set's last song has ended: the clock shows the set over, also
        // while the song is loaded (and stood by) again.
        if (i == lstLive->count() - 1) {
            showRecorder_->setSetOver(true);
        }
        LoadSelectedSong();
        if (cmdQs->isDown()) {
            cmdPlay->setDown(false);
            if (songLoaded)
                ButtonSBClick();
        } else {
            LeavePlayingState();
        }
    }
}

} // namespace kazoon
