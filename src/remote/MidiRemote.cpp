#include "remote/MidiRemote.h"

#include <Qt>

#include "app/IniFile.h"
#include "remote/RemoteInput.h"

namespace kazoon {

MidiRemote::MidiRemote(RemoteInput *input, RemoteHost host) : input_(input), host_(std::move(host)) {}

MidiRemote::~MidiRemote() { stop(); }

int MidiRemote::keyOf(RemoteCommand command)
{
    switch (command) {
    case RemoteCommand::Play: return Qt::Key_Return;
    case RemoteCommand::Stop: return Qt::Key_Escape;
    case RemoteCommand::Top: return Qt::Key_Backspace;
    case RemoteCommand::Next: return Qt::Key_Down;
    case RemoteCommand::Previous: return Qt::Key_Up;
    case RemoteCommand::Qs: return Qt::Key_F9;
    case RemoteCommand::Panic: break;
    }
    return 0;
}

void MidiRemote::start(const IniFile &settings)
{
    if (!input_)
        return;
    bindings_.read(settings);
    input_->setReceiver([this](const QByteArray &m) { message(m); });
    const QString reason = openPort();
    if (!reason.isEmpty() && host_.showStatus)
        host_.showStatus(reason, kStatusMs);
}

void MidiRemote::stop()
{
    if (input_)
        input_->setReceiver(nullptr);
}

void MidiRemote::writeSettings(IniFile &ini) const
{
    if (input_ && (!ini.keys(QStringLiteral("Remote")).isEmpty() || bindings_ != RemoteBindings()))
        bindings_.write(ini);
}

QString MidiRemote::openPort()
{
    if (!input_)
        return QString();
    if (bindings_.port.isEmpty()) {
        input_->close();
        return QString();
    }
    return input_->open(bindings_.port);
}

QString MidiRemote::apply(const RemoteBindings &next)
{
    if (!input_)
        return QString();
    const bool reopen = next.port != bindings_.port || input_->portName() != next.port;
    bindings_.assign(next);
    return reopen ? openPort() : QString();
}

void MidiRemote::setLearner(std::function<void(const QByteArray &)> learner)
{
    learner_ = std::move(learner);
}

void MidiRemote::message(const QByteArray &message)
{
    if (learner_) {
        learner_(message);
        return;
    }
    // Matched even when ignored, so that a pedal held through a box does not
    // fire when the box goes.
    const std::optional<RemoteCommand> command = bindings_.match(message);
    if (command == RemoteCommand::Panic) {
        // Something hangs: it must stop even behind a box or a dialog.
        if (host_.panic)
            host_.panic();
        return;
    }
    if (!command || (host_.busy && host_.busy()) || !host_.runKey)
        return;
    host_.runKey(keyOf(*command));
}

} // namespace kazoon
