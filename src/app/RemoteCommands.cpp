// The window's side of the MIDI remote: when it takes commands, and how a
// command's key reaches the keys' own handlers.
#include <QAction>
#include <QApplication>
#include <QStatusBar>

#include "app/MainWindow.h"
#include "app/TfrmAbout.h"
#include "lyrics/TfrmWrdDir.h"
#include "options/TfrmOption.h"
#include "remote/MidiRemote.h"
#include "songlist/TfrmSelect.h"

namespace kazoon {

RemoteHost TfrmMain::remoteHost()
{
    RemoteHost host;
    host.busy = [this] { return destroyed_ || terminating_ || programDialogOpen(); };
    host.runKey = [this](int key) { runKey(key); };
    host.panic = [this] { mnuPanicItemClick(); };
    host.showStatus = [this](const QString &text, int ms) { statusBar_->showMessage(text, ms); };
    return host;
}

bool TfrmMain::programDialogOpen() const
{
    const auto visible = [](QWidget *w) { return w && w->isVisible(); };
    return QApplication::activeModalWidget() || visible(frmOption) || visible(frmWrdDir) ||
           visible(frmAbout) || visible(frmSelect) || fileDialogOpen || msgBoxOpen;
}

void TfrmMain::runKey(int key)
{
    // A key that is an enabled short cut goes to its menu item, as a pressed
    // key does; any other goes to the window's key handler.
    QAction *shortcut = nullptr;
    for (const auto &[name, a] : actions_)
        if (a->shortcut() == QKeySequence(key) && a->isEnabled())
            shortcut = a;
    if (shortcut)
        shortcut->trigger();
    else
        FormKeyDown(this, key, Qt::NoModifier);
    // Down and Up load the song where they come to rest when the key goes up.
    FormKeyUp(this, key, Qt::NoModifier);
}

} // namespace kazoon
