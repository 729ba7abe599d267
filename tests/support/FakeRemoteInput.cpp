#include "FakeRemoteInput.h"

#include <QCoreApplication>
#include <QEvent>

#include "app/OutputControl.h"
#include "remote/MidiRemoteInput.h"

namespace kazoon::test {

QString FakeRemoteInput::open(const QString &portName)
{
    close();
    opened << portName;
    if (!offered)
        return kNoMidiInputText;
    if (findPort(portNames, portName) < 0)
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
    // Only the hand-over to the window runs, as the real input's does: no
    // timer of the program fires early however slow the machine.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

void FakeRemoteInput::send(std::initializer_list<int> bytes)
{
    send(midiMessage(bytes));
}

} // namespace kazoon::test
