#pragma once

#include <memory>

#include "remote/RemoteInput.h"

namespace kazoon {

namespace engine {
class PortInput;
}

inline const QString kNoMidiInputText = QStringLiteral("このコンピューターにはMIDI入力がありません。");
QString remotePortMissingText(const QString &portName);
QString remotePortUnusableText(const QString &portName);

// The system's MIDI input (the engine's port input). Messages arrive on the
// input's own thread; each is posted to the UI thread.
class MidiRemoteInput final : public RemoteInput {
public:
    MidiRemoteInput();
    ~MidiRemoteInput() override;

    bool available() const override;
    QStringList ports() const override;
    QString open(const QString &portName) override;
    void close() override;
    QString portName() const override { return portName_; }

private:
    std::unique_ptr<engine::PortInput> input_;
    QString portName_;
};

} // namespace kazoon
