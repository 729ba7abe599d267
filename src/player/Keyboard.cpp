#include <QLabel>
#include <QToolBar>

#include "app/Command.h"
#include "app/MainWindow.h"
#include "lyrics/TfrmWrd.h"
#include "player/PlayerRules.h"
#include "player/PlayerSupport.h"
#include "player/TrackBar.h"
#include "songlist/CheckListBox.h"

namespace kazoon {

namespace {

// Carries out a position key's move: a real change of the bar runs
// TrackBarChange through its change event; a refresh runs it directly.
void apply(TfrmMain &w, const player::PositionMove &move)
{
    if (move.kind == player::PositionMove::None)
        return;
    if (move.stepOneAtZero)
        w.showStepOneAtZero = true;
    if (move.kind == player::PositionMove::Refresh)
        w.TrackBarChange();
    else
        w.trackBar->setPosition(move.target);
}

// Moves through the list without loading: the song where the keys come to
// rest is loaded by the delayed load after the key goes up.
void walkList(TfrmMain &w, int step)
{
    w.LagTimer.stop();
    const int i = w.lstLive->itemIndex();
    const int target = i + step;
    if (w.lstLive->isEnabled() && i >= 0 && target >= 0 && target < w.lstLive->count())
        w.lstLive->setItemIndex(target);
}

// Home and End: jump to the first or last song and load it; in lesson mode
// move the position to the top or the end instead.
void jump(TfrmMain &w, int index, int position)
{
    const int i = w.lstLive->itemIndex();
    if (w.lstLive->isEnabled() && i != index && index >= 0) {
        w.lstLive->setItemIndex(index);
        w.LoadSelectedSong();
    }
    if (w.lessonMode && w.trackBar->isEnabled())
        w.trackBar->setPosition(position);
}

} // namespace

bool TfrmMain::FormKeyDown(QObject *sender, int key, Qt::KeyboardModifiers modifiers)
{
    const bool barEnabled = trackBar->isEnabled();
    const int p = trackBar->Position();
    const int max = trackBar->Max();
    const player::StepDisplay d = stepDisplay;
    const auto position = [&](const player::PositionMove &move) {
        if (barEnabled)
            apply(*this, move);
        return true;
    };

    switch (key) {
    case Qt::Key_Backspace:
        if (cmdPrev->button()->isEnabled())
            ButtonPrevClick();
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ToolBarPlayer->isEnabled()) {
            if (cmdPlay->button()->isEnabled())
                ButtonPlayClick();
            if (cmdSB->button()->isEnabled())
                ButtonSBClick();
        }
        return false;
    case Qt::Key_Shift:
        if (frmWrd && frmWrd->isVisible()) {
            QWidget *target = frmWrd->isActiveWindow() ? static_cast<QWidget *>(this) : frmWrd;
            target->raise();
            target->activateWindow();
        }
        return true;
    case Qt::Key_Alt:
        return frmWrd && frmWrd->isVisible();
    case Qt::Key_Escape:
        // Esc stops a song; with none playing it silences whatever still sounds.
        if (cmdStop->button()->isEnabled())
            ButtonStopClick();
        else
            mnuPanicItemClick();
        return false;
    case Qt::Key_Space:
        if (lstLive->isEnabled() && lstLive->itemIndex() >= 0 && sender != lstLive) {
            const int i = lstLive->itemIndex();
            setSongMark(i, !lstLive->isChecked(i));
            lstLiveClickCheck();
        }
        return false;
    case Qt::Key_PageUp:
        return position(player::backBy(p, d, 128));
    case Qt::Key_PageDown:
        return position(player::forwardBy(p, max, d, 128));
    case Qt::Key_End:
        jump(*this, lstLive->count() - 1, max);
        return true;
    case Qt::Key_Home:
        jump(*this, 0, 0);
        return true;
    case Qt::Key_Left:
        return position(player::backBy(p, d, 16));
    case Qt::Key_Right:
        return position(player::forwardBy(p, max, d, 16));
    case Qt::Key_Up:
        walkList(*this, -1);
        return true;
    case Qt::Key_Down:
        walkList(*this, +1);
        return true;
    case Qt::Key_Plus:
        // Only the numeric keypad's + and - move by one step.
        if (modifiers & Qt::KeypadModifier)
            position(player::forwardOne(p, max, d));
        return false;
    case Qt::Key_Minus:
        if (modifiers & Qt::KeypadModifier)
            position(player::backOne(p, d));
        return false;
    default:
        return false;
    }
}

void TfrmMain::FormKeyUp(QObject *, int key, Qt::KeyboardModifiers)
{
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && lstLive->isEnabled()) {
        ToolBarPlayer->setEnabled(false);
        trackBar->setEnabled(false);
        player::startOnce(LagTimer);
    }
}

} // namespace kazoon
