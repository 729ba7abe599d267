#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "remote/RemoteBindings.h"

namespace kazoon {

class IniFile;
class RemoteInput;

// What the remote asks of the window it works.
struct RemoteHost {
    // The window takes no command now: a box, a file dialog or one of the
    // program's dialogs is open, or the program is closing.
    std::function<bool()> busy;
    // Gives the window a key as if it were pressed and let go.
    std::function<void(int key)> runKey;
    // Silences everything; runs even while the window is busy.
    std::function<void()> panic;
    // A line in the status bar for a while.
    std::function<void(const QString &text, int timeoutMs)> showStatus;
};

// The MIDI remote: a foot controller or pad gives the show commands as the
// keys do, through the window's own key handling.
class MidiRemote {
public:
    // `input` may be null: the program then has no remote.
    MidiRemote(RemoteInput *input, RemoteHost host);
    ~MidiRemote();
    MidiRemote(const MidiRemote &) = delete;
    MidiRemote &operator=(const MidiRemote &) = delete;

    RemoteInput *input() const { return input_; }

    // Reads [Remote] and opens its port; a port missing now is told once in
    // the status bar, never in a box.
    void start(const IniFile &settings);
    // No message reaches the window any more.
    void stop();
    // Writes [Remote]; a remote never set up leaves no section behind.
    void writeSettings(IniFile &ini) const;

    const RemoteBindings &bindings() const { return bindings_; }
    // Takes these bindings and reopens the port when it changed; an empty
    // text, or why the port did not open.
    QString apply(const RemoteBindings &next);
    // (Re)opens the bindings' port; an empty text, or why not.
    QString openPort();

    // While set, every message goes here instead of to the show (the options
    // page learning a binding).
    void setLearner(std::function<void(const QByteArray &)> learner);
    bool learning() const { return bool(learner_); }

    // A message from the input: its command runs as its key would, unless the
    // window is busy; the panic runs whatever the window is doing.
    void message(const QByteArray &message);

    // The key a command gives.
    static int keyOf(RemoteCommand command);

    static constexpr int kStatusMs = 30'000;

private:

    RemoteInput *input_;
    RemoteHost host_;
    RemoteBindings bindings_;
    std::function<void(const QByteArray &)> learner_;
};

} // namespace kazoon
