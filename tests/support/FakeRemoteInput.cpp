#include "FakeRemoteInput.h"

#include <QCoreApplication>

#include "app/MidiRemoteInput.h"
#include "player/engine/PortOutput.h"

namespace kazoon::test {

QString FakeRemoteInput::open(const QString &portName)
{
    close();
    opened << portName;
    if (!offered)
        return kNoMidiInputText;
    std::vector<std::string> names;
    for (const QString &n : portNames)
        names.push_back(n.toStdString());
    if (engine::PortOutput::findPort(names, portName.toStdString()) < 0)
        return remotePortMissingText(portName);
    open_ = portName;
    return QString();
}

void FakeRemoteInput::close()
{
    newGeneration();
    ++closes;
    open_.clear();
}

void FakeRemoteInput::send(const QByteArray &message)
{
    inject(message);
    QCoreApplication::processEvents();
}

void FakeRemoteInput::send(std::initializer_list<int> bytes)
{
    QByteArray message;
    for (int b : bytes)
        message.append(char(b));
    send(message);
}

} // namespace kazoon::test
