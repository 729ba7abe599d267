// The MIDI remote: a foot controller or pad gives the show commands as the
// keys do, through the keys' own handlers.
#include <QAction>
#include <QApplication>
#include <QStatusBar>

#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "app/RemoteInput.h"
#include "app/TfrmAbout.h"
#include "lyrics/TfrmWrdDir.h"
#include "options/TfrmOption.h"
#include "songlist/TfrmSelect.h"

namespace kazoon {

namespace {

int keyOf(RemoteCommand command)
{
    switch (command) {
    case RemoteCommand::Play: return Qt::Key_Return;
    case RemoteCommand::Stop: return Qt::Key_Escape;
    case RemoteCommand::Top: return Qt::Key_Backspace;
    case RemoteCommand::Next: return Qt::Key_Down;
    case RemoteCommand::Previous: return Qt::Key_Up;
    case RemoteCommand::Qs: return Qt::Key_F9;
    }
    return 0;
}

constexpr int kStatusMs = 30'000;

} // namespace

void TfrmMain::startRemote()
{
    RemoteInput *remote = env_.remote;
    if (!remote)
        return;
    remoteBindings.read(IniFile(env_.settingsPath));
    remote->setReceiver([this](const QByteArray &message) { remoteMessage(message); });
    const QString reason = openRemotePort();
    if (!reason.isEmpty())
        statusBar_->showMessage(reason, kStatusMs);
}

QString TfrmMain::openRemotePort()
{
    RemoteInput *remote = env_.remote;
    if (!remote)
        return QString();
    if (remoteBindings.port.isEmpty()) {
        remote->close();
        return QString();
    }
    return remote->open(remoteBindings.port);
}

bool TfrmMain::programDialogOpen() const
{
    const auto visible = [](QWidget *w) { return w && w->isVisible(); };
    return QApplication::activeModalWidget() || visible(frmOption) || visible(frmWrdDir) ||
           visible(frmAbout) || visible(frmSelect) || fileDialogOpen || msgBoxOpen;
}

void TfrmMain::remoteMessage(const QByteArray &message)
{
    if (remoteLearner) {
        remoteLearner(message);
        return;
    }
    // Matched even when ignored, so that a pedal held through a box does not
    // fire when the box goes.
    const std::optional<RemoteCommand> command = remoteBindings.match(message);
    if (!command || destroyed_ || terminating_ || programDialogOpen())
        return;
    runRemoteCommand(*command);
}

void TfrmMain::runRemoteCommand(RemoteCommand command)
{
    const int key = keyOf(command);
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
