#include <QApplication>
#include <QCoreApplication>
#include <QMenu>

#include "app/Application.h"
#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/EngineDevice.h"
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "app/ScreenAwake.h"
#include "app/ScreenPlacement.h"
#include "app/ShowRecorder.h"
#include "app/TfrmAbout.h"
#include "lyrics/TfrmWrd.h"
#include "lyrics/TfrmWrdDir.h"
#include "options/TfrmOption.h"
#include "player/SequencerDevice.h"
#include "player/TrackBar.h"
#include "remote/MidiRemote.h"
#include "songlist/CheckListBox.h"
#include "songlist/TfrmSelect.h"

namespace kazoon {

void TfrmMain::FormCreate()
{
    for (QAction *item : {mnuOverItem, mnuSaveItem, cmdMedley->menuItem(), cmdClear->menuItem(),
                          cmdLesson->menuItem(), cmdSflg->menuItem(), cmdEflg->menuItem()})
        item->setEnabled(false);
    mnuEdit->setEnabled(false);
    mnuPlayer->setEnabled(false);
    for (Command *c : {cmdSave, cmdEdit, cmdWrdEdit, cmdLesson, cmdSflg, cmdEflg, cmdMedley,
                       cmdClear, cmdSB, cmdPrev, cmdPlay, cmdStop})
        c->button()->setEnabled(false);
    trackBar->setEnabled(false);

    const IniFile ini(env_.settingsPath);
    // A place stored on a monitor that is gone comes back onto the screen.
    const QPoint stored(ini.readInteger(QStringLiteral("Main"), QStringLiteral("Left"), 0),
                        ini.readInteger(QStringLiteral("Main"), QStringLiteral("Top"), 0));
    move(placeOnScreens(QRect(stored, sizeHint()), availableScreenAreas()).topLeft());

    // The toggles invert the mark, so it is set to the opposite first.
    cmdQs->setDown(!ini.readBool(QStringLiteral("QS_Mode"), QStringLiteral("Set"), false));
    mnuQsItemClick();
    cmdWrd->setDown(!ini.readBool(QStringLiteral("Words"), QStringLiteral("Set"), false));
    mnuWrdItemClick(this);

    listFileName.clear();
    medleyContinuation = songLoaded = saveCancelled = portInUse = false;
    lyricsLookedUp = lyricsMissing = listModified = playing = false;
    msgBoxOpen = fileDialogOpen = lessonMode = showStepOneAtZero = startFlagAtStepOne = false;

    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            FormActivate();
    });
    remote_->start(IniFile(env_.settingsPath));
}

void TfrmMain::FormActivate()
{
    const auto visible = [](QWidget *w) { return w && w->isVisible(); };
    if (activating_ || terminating_)
        return;
    if (!(visible(frmOption) || visible(frmWrdDir) || visible(frmAbout) || visible(frmSelect) ||
          fileDialogOpen || msgBoxOpen))
        return;
    activating_ = true;
    // Brings the program's front window (the open dialog or box) forward.
    // The list and the position bar get their own enabled states back rather
    // than being enabled outright: a bar disabled for want of a song stays so.
    const bool listEnabled = lstLive->isEnabled();
    const bool barEnabled = trackBar->isEnabled();
    lstLive->setEnabled(false);
    trackBar->setEnabled(false);
    QWidget *front = QApplication::activeModalWidget();
    if (!front)
        front = this;
    front->raise();
    front->activateWindow();
    lstLive->setEnabled(listEnabled);
    trackBar->setEnabled(barEnabled);
    activating_ = false;
}

bool TfrmMain::FormCloseQuery()
{
    // The save question of the song list: Yes saves (Save As for a new list,
    // which may be cancelled; Overwrite otherwise), No discards, Cancel stays.
    return confirmDiscardChanges();
}

void TfrmMain::FormClose()
{
    writeSettings();
    showRecorder_->ended();
}

void TfrmMain::writeSettings()
{
    IniFile ini(env_.settingsPath);
    const QPoint at = pos(); // a minimised window keeps its restored position here
    ini.writeInteger(QStringLiteral("Main"), QStringLiteral("Top"), at.y());
    ini.writeInteger(QStringLiteral("Main"), QStringLiteral("Left"), at.x());
    ini.writeBool(QStringLiteral("QS_Mode"), QStringLiteral("Set"),
                  cmdQs->isDown() || qsSuspendedByLesson);
    ini.writeBool(QStringLiteral("Words"), QStringLiteral("Set"), cmdWrd->isDown());
    if (frmWrd)
        frmWrd->writeSettings(ini);
    if (frmOption)
        frmOption->writeSettings(ini);
    if (env_.output)
        writeOutputConfig(ini, env_.output->config());
    remote_->writeSettings(ini);
    ini.save();
}

void TfrmMain::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    remote_->stop();
    screenAwake_->setWanted(false);
    PlayTimer.stop();
    LagTimer.stop();
    if (songLoaded) {
        Player().Close();
        CheckPlayerError();
    }
}

void TfrmMain::AppException(const QString &message)
{
    // One box: after the first exception the program is already ending.
    if (terminating_)
        return;
    terminating_ = true;
    dialogs().messageBox(this, exceptionText(message), kAppTitle, mb::IconStop);
    PlayTimer.stop();
    LagTimer.stop();
    QCoreApplication::exit(0);
}

} // namespace kazoon
