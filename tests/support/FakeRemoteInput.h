#pragma once

#include <QByteArray>
#include <initializer_list>
#include <QStringList>

#include "remote/RemoteInput.h"

namespace kazoon::test {

// A MIDI message from its bytes.
inline QByteArray midiMessage(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// A MIDI remote for tests: the ports are what the test says, and inject()
// hands a message over as the input thread does (a queued call, run by the
// next processing of events); send() also processes them.
class FakeRemoteInput : public RemoteInput {
public:
    bool available() const override { return offered; }
    QStringList ports() const override { return offered ? portNames : QStringList(); }
    QString open(const QString &portName) override;
    void close() override;
    QString portName() const override { return open_; }

    // The input thread's side: callable from any thread.
    void inject(const QByteArray &message) { post(message); }
    // Injects and lets the window take the message.
    void send(const QByteArray &message);
    void send(std::initializer_list<int> bytes);

    bool offered = true; // false: the system has no MIDI input at all
    QStringList portNames;
    QStringList opened; // every port asked for, in order
    int closes = 0;

private:
    QString open_;
};

} // namespace kazoon::test
