#include "remote/MidiRemoteInput.h"

#include "player/engine/PortInput.h"

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
    : input_(std::make_unique<engine::PortInput>([this](const std::uint8_t *bytes, std::size_t size) {
          post(QByteArray(reinterpret_cast<const char *>(bytes), qsizetype(size)));
      }))
{
}

MidiRemoteInput::~MidiRemoteInput()
{
    close();
    input_.reset(); // stops the input's thread before this object goes
}

bool MidiRemoteInput::available() const { return input_->available(); }

QStringList MidiRemoteInput::ports() const
{
    QStringList names;
    for (const std::string &name : input_->ports())
        names << QString::fromStdString(name);
    return names;
}

QString MidiRemoteInput::open(const QString &portName)
{
    close();
    switch (input_->open(portName.toStdString())) {
    case engine::PortInput::Opened::Ok:
        break;
    case engine::PortInput::Opened::NoMidi:
        return kNoMidiInputText;
    case engine::PortInput::Opened::NotFound:
        return remotePortMissingText(portName);
    case engine::PortInput::Opened::Unusable:
        return remotePortUnusableText(portName);
    }
    portName_ = portName;
    return QString();
}

void MidiRemoteInput::close()
{
    newGeneration();
    portName_.clear();
    input_->close();
}

} // namespace kazoon
