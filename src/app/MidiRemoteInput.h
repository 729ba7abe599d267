#pragma once

#include <memory>

#include "app/RemoteInput.h"

class RtMidiIn;

namespace kazoon {

inline const QString kNoMidiInputText = QStringLiteral("このコンピューターにはMIDI入力がありません。");
QString remotePortMissingText(const QString &portName);
QString remotePortUnusableText(const QString &portName);

// The system's MIDI input through RtMidi. RtMidi reads the port on a thread
// of its own and calls back there; each message is posted to the UI thread.
class MidiRemoteInput final : public RemoteInput {
public:
    MidiRemoteInput();
    ~MidiRemoteInput() override;

    bool available() const override { return midi_ != nullptr; }
    QStringList ports() const override;
    QString open(const QString &portName) override;
    void close() override;
    QString portName() const override { return portName_; }

private:
    std::unique_ptr<RtMidiIn> midi_;
    QString portName_;
};

} // namespace kazoon
