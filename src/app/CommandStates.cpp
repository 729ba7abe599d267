// The command states that change together: after a list load, while a song
// plays, in lesson mode, and the two bulk mark commands.
#include <QMenu>

#include "app/Command.h"
#include "app/MainWindow.h"
#include "app/ScreenAwake.h"
#include "songlist/CheckListBox.h"
#include "songlist/PerSongSettings.h"
#include "songlist/SongListFile.h"

namespace kazoon {

void TfrmMain::afterListLoaded()
{
    mnuSaveItem->setEnabled(true);
    mnuEdit->setEnabled(true);
    mnuPlayer->setEnabled(true);
    cmdSave->setEnabled(true);
    cmdEdit->setEnabled(true);
    if (liveSettings().lessonAllowed())
        cmdLesson->setEnabled(true);
    if (cmdWrd->isDown())
        cmdWrdEdit->setEnabled(true);
    songSettings_->show();
    screenAwake_->setWanted(true);
}

void TfrmMain::setListCommands(bool on)
{
    for (Command *c : {cmdNew, cmdOpen, cmdSave, cmdEdit, cmdQs})
        c->setEnabled(on);
    for (QAction *a : {mnuOverItem, mnuSaveItem, mnuAboutItem})
        a->setEnabled(on);
    mnuEdit->setEnabled(on);
    mnuSet->setEnabled(on);
    // The bulk mark commands come back only when the lock took them away.
    const auto lock = [on](Command *c, bool &locked) {
        if (!on && c->button()->isEnabled()) {
            c->setEnabled(false);
            locked = true;
        } else if (on && locked) {
            c->setEnabled(true);
            locked = false;
        }
    };
    lock(cmdMedley, medleyButtonLocked);
    lock(cmdClear, clearButtonLocked);
    lstLive->setEnabled(on);
}

void TfrmMain::setLessonCommands(bool on)
{
    setListCommands(!on);
    if (on) {
        mnuSet->setEnabled(true);
        mnuAboutItem->setEnabled(true);
    } else {
        cmdSflg->setEnabled(false);
        cmdEflg->setEnabled(false);
    }
}

void TfrmMain::setBulkMarkCommands(const QList<bool> &marks)
{
    const songlist::BulkStates states =
        marks.size() >= 2 ? songlist::bulkStates(marks) : songlist::BulkStates{};
    cmdMedley->setEnabled(states.medley);
    cmdClear->setEnabled(states.clear);
}

} // namespace kazoon
