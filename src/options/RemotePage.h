#pragma once

#include <QByteArray>
#include <QWidget>
#include <array>
#include <functional>

#include "remote/RemoteBindings.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace kazoon {

class RemoteInput;

// The options dialog's MIDI remote page: the input port and a binding per
// command, learnt from the next message of the input. Nothing is live
// before OK: the page hands its bindings back.
class RemotePage : public QWidget {
    Q_OBJECT
public:
    using Learner = std::function<void(const QByteArray &)>;

    // `remote` null: no MIDI input at all. `inUse` gives the bindings in use;
    // `setLearner` sends the input's messages to the page while it learns
    // (null gives them back to the show).
    RemotePage(RemoteInput *remote, std::function<RemoteBindings()> inUse,
               std::function<void(Learner)> setLearner, QWidget *parent = nullptr);

    // Shows the bindings in use and the ports offered.
    void showCurrent();
    void remoteLearnClick(int command);
    void remoteClearClick(int command);
    void remoteLearnt(const QByteArray &message);
    void stopLearning();
    bool learning() const { return learning_ >= 0; }
    // The bindings as the page shows them, waiting for OK.
    RemoteBindings bindings() const;

    QLabel *lblRemoteNone = nullptr;
    QComboBox *cmbRemotePort = nullptr;
    std::array<QLabel *, kRemoteCommandCount> lblRemoteBinding{};
    std::array<QPushButton *, kRemoteCommandCount> cmdRemoteLearn{}, cmdRemoteClear{};

private:
    void showBindings();

    RemoteInput *remote_;
    std::function<RemoteBindings()> inUse_;
    std::function<void(Learner)> setLearner_;
    RemoteBindings pending_;
    int learning_ = -1; // the command being learnt
};

} // namespace kazoon
