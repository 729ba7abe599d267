#include "options/RemotePage.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "remote/MidiRemoteInput.h"
#include "remote/RemoteInput.h"
#include "options/PageLayout.h"
#include "options/PortList.h"

namespace kazoon {

RemotePage::RemotePage(RemoteInput *remote, std::function<RemoteBindings()> inUse,
                       std::function<void(Learner)> setLearner, QWidget *parent)
    : QWidget(parent), remote_(remote), inUse_(std::move(inUse)), setLearner_(std::move(setLearner))
{
    setObjectName(QStringLiteral("TabSheet4"));
    named(new QLabel(QStringLiteral("入力ポート(&R):"), this), "lblRemotePort",
          QRect(12, 12, 90, 16))
        ->setBuddy(cmbRemotePort = named(new QComboBox(this), "cmbRemotePort",
                                         QRect(104, 9, 217, 22)));
    lblRemoteNone = named(new QLabel(kNoMidiInputText, this), "lblRemoteNone",
                          QRect(12, 36, 310, 16));
    for (int i = 0; i < kRemoteCommandCount; ++i) {
        const auto command = RemoteCommand(i);
        const QString caption = RemoteBindings::caption(command);
        const int y = 62 + i * 28;
        auto *name = new QLabel(caption, this);
        name->setGeometry(12, y + 4, 100, 16);
        lblRemoteBinding[i] = new QLabel(this);
        lblRemoteBinding[i]->setObjectName(QStringLiteral("lblRemoteBinding%1").arg(i));
        lblRemoteBinding[i]->setGeometry(112, y + 4, 112, 16);
        lblRemoteBinding[i]->setAccessibleDescription(caption + QStringLiteral("の割り当て"));
        cmdRemoteLearn[i] = new QPushButton(QStringLiteral("学習"), this);
        cmdRemoteLearn[i]->setObjectName(QStringLiteral("cmdRemoteLearn%1").arg(i));
        cmdRemoteLearn[i]->setGeometry(226, y, 48, 24);
        cmdRemoteLearn[i]->setAccessibleName(caption + QStringLiteral("を学習"));
        cmdRemoteClear[i] = new QPushButton(QStringLiteral("解除"), this);
        cmdRemoteClear[i]->setObjectName(QStringLiteral("cmdRemoteClear%1").arg(i));
        cmdRemoteClear[i]->setGeometry(278, y, 44, 24);
        cmdRemoteClear[i]->setAccessibleName(caption + QStringLiteral("の割り当てを解除"));
        connect(cmdRemoteLearn[i], &QPushButton::clicked, this, [this, i] { remoteLearnClick(i); });
        connect(cmdRemoteClear[i], &QPushButton::clicked, this, [this, i] { remoteClearClick(i); });
    }
    cmbRemotePort->setAccessibleName(QStringLiteral("MIDIリモートの入力ポート"));
}

void RemotePage::showCurrent()
{
    stopLearning();
    RemoteInput *remote = remote_;
    pending_ = inUse_ ? inUse_() : RemoteBindings();
    const bool offered = remote && remote->available();
    lblRemoteNone->setVisible(!offered);
    const QStringList names = offered ? remote->ports() : QStringList();
    showPortList(cmbRemotePort, portList(names, pending_.port, QStringLiteral("(なし)")));
    cmbRemotePort->setEnabled(offered);
    for (int i = 0; i < kRemoteCommandCount; ++i) {
        cmdRemoteLearn[i]->setEnabled(offered);
        cmdRemoteClear[i]->setEnabled(offered);
        lblRemoteBinding[i]->setEnabled(offered);
    }
    showBindings();
}

void RemotePage::showBindings()
{
    for (int i = 0; i < kRemoteCommandCount; ++i)
        lblRemoteBinding[i]->setText(i == learning_ ? QStringLiteral("学習中…")
                                                    : pending_[RemoteCommand(i)].text());
}

void RemotePage::remoteLearnClick(int command)
{
    if (!setLearner_ || command < 0 || command >= kRemoteCommandCount)
        return;
    learning_ = command;
    // The next message of the input comes here rather than to the show.
    setLearner_([this](const QByteArray &message) { remoteLearnt(message); });
    showBindings();
}

void RemotePage::remoteClearClick(int command)
{
    if (command < 0 || command >= kRemoteCommandCount)
        return;
    stopLearning();
    pending_[RemoteCommand(command)] = RemoteBinding();
    showBindings();
}

void RemotePage::remoteLearnt(const QByteArray &message)
{
    if (learning_ < 0)
        return;
    // Note-offs, a pedal going up, clock and the like are not learnt: the
    // page waits for a press.
    const RemoteBinding binding = RemoteBinding::fromMessage(message, pending_.threshold);
    if (!binding.isSet())
        return;
    // One press gives one command: the binding leaves any other command.
    for (int i = 0; i < kRemoteCommandCount; ++i)
        if (pending_[RemoteCommand(i)] == binding)
            pending_[RemoteCommand(i)] = RemoteBinding();
    pending_[RemoteCommand(learning_)] = binding;
    stopLearning();
}

void RemotePage::stopLearning()
{
    learning_ = -1;
    if (setLearner_)
        setLearner_(nullptr);
    showBindings();
}

RemoteBindings RemotePage::bindings() const
{
    RemoteBindings b = pending_;
    b.port = cmbRemotePort->currentData().toString();
    return b;
}

} // namespace kazoon
