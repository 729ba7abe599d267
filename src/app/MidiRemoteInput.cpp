#include "app/MidiRemoteInput.h"

#include <RtMidi.h>

#include "player/engine/PortOutput.h"

namespace kazoon {

QString remotePortMissingText(const QString &portName)
{
    return QStringLiteral("MIDIリモートの入力ポート「%1」が見つかりません。").arg(portName);
}

QString remotePortUnusableText(const QString &portName)
{
    return QStringLiteral("MIDIリモートの入力ポート「%1」を開けません。").arg(portName);
}

MidiRemoteInput::MidiRemoteInput()
{
    // Without an ALSA sequencer (or any MIDI system) RtMidi throws here; the
    // program then runs without a remote.
    try {
        auto midi = std::make_unique<RtMidiIn>(RtMidi::UNSPECIFIED, "Kazoon");
        midi->setErrorCallback([](RtMidiError::Type, const std::string &, void *) {}, nullptr);
        midi->setCallback(
            [](double, std::vector<unsigned char> *message, void *self) {
                if (message && !message->empty())
                    static_cast<MidiRemoteInput *>(self)->post(
                        QByteArray(reinterpret_cast<const char *>(message->data()),
                                   qsizetype(message->size())));
            },
            this);
        midi_ = std::move(midi);
    } catch (const std::exception &) {
        midi_.reset();
    }
}

MidiRemoteInput::~MidiRemoteInput()
{
    close();
    midi_.reset(); // stops RtMidi's thread before this object goes
}

QStringList MidiRemoteInput::ports() const
{
    QStringList names;
    if (!midi_)
        return names;
    try {
        for (const std::string &name : engine::PortOutput::portNames(*midi_))
            names << QString::fromStdString(name);
    } catch (const std::exception &) {
    }
    return names;
}

QString MidiRemoteInput::open(const QString &portName)
{
    close();
    if (!midi_)
        return kNoMidiInputText;
    try {
        const int index = engine::PortOutput::findPort(engine::PortOutput::portNames(*midi_), portName.toStdString());
        if (index < 0)
            return remotePortMissingText(portName);
        midi_->openPort(unsigned(index), "Kazoon remote");
        if (!midi_->isPortOpen())
            return remotePortUnusableText(portName);
    } catch (const std::exception &) {
        return remotePortUnusableText(portName);
    }
    portName_ = portName;
    return QString();
}

void MidiRemoteInput::close()
{
    newGeneration();
    portName_.clear();
    if (midi_ && midi_->isPortOpen()) {
        try {
            midi_->closePort();
        } catch (const std::exception &) {
        }
    }
}

} // namespace kazoon
