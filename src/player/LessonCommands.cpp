// Lesson mode: one song's passage between a start flag and an end flag loops
// for practice, with the song list locked and QS mode suspended.
#include <QAction>
#include <QLabel>

#include "app/Command.h"
#include "app/MainWindow.h"
#include "player/SequencerDevice.h"
#include "player/TrackBar.h"

namespace kazoon {

namespace {

// A passage is at least one 4/4 bar of sixteenth notes.
constexpr int kMinPassage = 16;

// The back-to-top command's words, on the menu item and on every button
// (the lyrics card window's copy included).
void setPrevCaption(Command &prev, const QString &text)
{
    prev.menuItem()->setText(text);
    for (QAction *b : prev.buttons()) {
        b->setText(text);
        b->setToolTip(text);
    }
}

} // namespace

void TfrmMain::mnuLsnItemClick()
{
    if (cmdLesson->menuItem()->isChecked()) {
        lessonMode = false;
        cmdLesson->setDown(false);
        // QS mode comes back with the reload below, which stands the song by.
        if (qsSuspendedByLesson) {
            cmdQs->setDown(true);
            qsSuspendedByLesson = false;
        }
        setLessonCommands(false);
        setPrevCaption(*cmdPrev, QStringLiteral("先頭に戻る"));
        trackBar->setSelStart(0);
        trackBar->setSelEnd(0);
        startFlagAtStepOne = false;
        showStepOneAtZero = false;
        // After a failed load no song is open: the reload reports it again.
        if (songLoaded) {
            Player().Seek(0);
            CheckPlayerError();
        }
        LoadSelectedSong();
        return;
    }

    lessonMode = true;
    cmdLesson->setDown(true);
    if (cmdQs->isDown()) {
        mnuQsItemClick(); // reloads the song, out of any standby
        qsSuspendedByLesson = true;
    }
    setLessonCommands(true);
    setPrevCaption(*cmdPrev, QStringLiteral("開始位置に戻る"));
    playerState = Lesson;
    ShowInfoMessage();

    trackBar->setSelStart(0);
    startFlagAtStepOne = false;
    trackBar->setSelEnd(trackBar->Max());
    // The panel follows the top of the song even when the bar stood there
    // already (step 1 shown at position 0 becomes step 0).
    showStepOneAtZero = false;
    if (trackBar->Position() != 0)
        trackBar->setPosition(0);
    else
        TrackBarChange();
    // Without a song there is no passage to mark.
    if (songLoaded)
        cmdSflg->setEnabled(true);
}

void TfrmMain::mnuLsnItemClick(QObject *sender)
{
    if (sender == cmdLesson->menuItem() || sender == cmdLesson->button()) {
        mnuLsnItemClick();
        return;
    }
    if (cmdLesson->menuItem()->isChecked())
        mnuLsnItemClick();
}

void TfrmMain::ButtonSflgClick()
{
    if (!lessonMode || !songLoaded || playing)
        return;
    const int p = trackBar->Position();
    trackBar->setSelStart(p);
    startFlagAtStepOne = stepDisplay.shows(1);
    if (trackBar->SelEnd() < trackBar->SelStart() + kMinPassage)
        trackBar->setSelEnd(trackBar->Max());
    // The position is at the new start flag.
    cmdPrev->setEnabled(false);
    cmdPlay->setEnabled(true);
    if (p != 0)
        cmdEflg->setEnabled(true);
}

void TfrmMain::ButtonEflgClick()
{
    if (!lessonMode || !songLoaded || playing)
        return;
    const int p = trackBar->Position();
    trackBar->setSelEnd(p);
    if (trackBar->SelEnd() < trackBar->SelStart() + kMinPassage) {
        trackBar->setSelStart(0);
        startFlagAtStepOne = false;
    }
    cmdPlay->setEnabled(true);
    cmdPrev->setEnabled(true);
    if (p != trackBar->Max())
        cmdSflg->setEnabled(true);
}

} // namespace kazoon
