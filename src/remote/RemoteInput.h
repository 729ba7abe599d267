#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

namespace kazoon {

// A MIDI input that works the show (a foot controller, a pad, a keyboard).
// Messages arrive on the input's own thread and are handed to the UI thread
// with a queued call: the input thread never waits for the window.
class RemoteInput {
public:
    RemoteInput();
    virtual ~RemoteInput();
    RemoteInput(const RemoteInput &) = delete;
    RemoteInput &operator=(const RemoteInput &) = delete;

    // False when the system offers no MIDI input at all.
    virtual bool available() const = 0;
    // The input ports there are now, by the names the system shows.
    virtual QStringList ports() const = 0;
    // Opens the port that `portName` names (closing any other); an empty
    // text on success, otherwise why not in Japanese.
    virtual QString open(const QString &portName) = 0;
    virtual void close() = 0;
    // The port open now; empty when none.
    virtual QString portName() const = 0;

    // Receives each message on the UI thread. Set from the UI thread.
    void setReceiver(std::function<void(const QByteArray &)> receiver)
    {
        receiver_ = std::move(receiver);
    }

    // Hands a message over to the UI thread; callable from any thread, never
    // blocks on the UI. Messages of a port closed since are dropped.
    void post(const QByteArray &message);

protected:
    // A new port (or none): messages still queued from the old one are dropped.
    void newGeneration() { ++generation_; }

private:
    QObject context_; // lives on the UI thread, where the queued calls run
    std::function<void(const QByteArray &)> receiver_;
    std::atomic<unsigned> generation_{0};
};

} // namespace kazoon
