#include "remote/RemoteBindings.h"

#include <QStringList>

#include "app/IniFile.h"

namespace kazoon {

namespace {

const QString kSection = QStringLiteral("Remote");

struct Message {
    int type = 0; // status high nibble
    int channel = 0;
    int data1 = -1, data2 = -1;
};

std::optional<Message> decode(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    const int status = quint8(bytes[0]);
    if (status < 0x80 || status >= 0xF0)
        return std::nullopt; // running status never reaches here; system messages bind nothing
    Message m;
    m.type = status & 0xF0;
    m.channel = status & 0x0F;
    if (bytes.size() > 1)
        m.data1 = quint8(bytes[1]) & 0x7F;
    if (bytes.size() > 2)
        m.data2 = quint8(bytes[2]) & 0x7F;
    const bool twoBytes = m.type == 0xC0 || m.type == 0xD0;
    if (m.data1 < 0 || (!twoBytes && m.data2 < 0))
        return std::nullopt;
    return m;
}

} // namespace

QString RemoteBinding::text() const
{
    const QString ch = QStringLiteral(" (ch%1)").arg(channel + 1);
    switch (kind) {
    case Note: return QStringLiteral("ノート %1").arg(number) + ch;
    case Control: return QStringLiteral("CC%1").arg(number) + ch;
    case Program: return QStringLiteral("プログラム %1").arg(number) + ch;
    case None: break;
    }
    return QStringLiteral("未設定");
}

QString RemoteBinding::iniText() const
{
    const char *name = kind == Note ? "note" : kind == Control ? "cc" : kind == Program ? "pc" : nullptr;
    if (!name)
        return QString();
    return QStringLiteral("%1:%2:%3").arg(QLatin1String(name)).arg(channel).arg(number);
}

RemoteBinding RemoteBinding::fromIni(const QString &text)
{
    QStringList parts = text.trimmed().toLower().split(QLatin1Char(':'));
    for (QString &part : parts)
        part = part.trimmed();
    if (parts.size() != 3)
        return {};
    RemoteBinding b;
    if (parts[0] == QLatin1String("note"))
        b.kind = Note;
    else if (parts[0] == QLatin1String("cc"))
        b.kind = Control;
    else if (parts[0] == QLatin1String("pc"))
        b.kind = Program;
    else
        return {};
    bool okChannel = false, okNumber = false;
    b.channel = parts[1].trimmed().toInt(&okChannel);
    b.number = parts[2].trimmed().toInt(&okNumber);
    if (!okChannel || !okNumber || b.channel < 0 || b.channel > 15 || b.number < 0 || b.number > 127)
        return {};
    return b;
}

RemoteBinding RemoteBinding::fromMessage(const QByteArray &message, int threshold)
{
    const std::optional<Message> m = decode(message);
    if (!m)
        return {};
    switch (m->type) {
    case 0x90:
        if (m->data2 > 0)
            return {Note, m->channel, m->data1};
        break;
    case 0xB0:
        if (m->data2 >= threshold)
            return {Control, m->channel, m->data1};
        break;
    case 0xC0: return {Program, m->channel, m->data1};
    default: break;
    }
    return {};
}

std::optional<RemoteCommand> RemoteBindings::match(const QByteArray &message)
{
    const std::optional<Message> m = decode(message);
    if (!m)
        return std::nullopt;
    RemoteBinding got;
    if (m->type == 0xB0) {
        // Track every controller, bound or not, so that a binding learnt while
        // a pedal is held does not fire on its next movement down.
        const std::size_t at = std::size_t(m->channel * 128 + m->data1);
        const bool high = m->data2 >= threshold;
        const bool rising = high && !controlHigh_[at];
        controlHigh_[at] = high;
        if (!rising)
            return std::nullopt;
        got = {RemoteBinding::Control, m->channel, m->data1};
    } else {
        got = RemoteBinding::fromMessage(message, threshold);
        if (!got.isSet())
            return std::nullopt;
    }
    for (int i = 0; i < kRemoteCommandCount; ++i)
        if (bindings_[std::size_t(i)] == got)
            return RemoteCommand(i);
    return std::nullopt;
}

QString RemoteBindings::key(RemoteCommand c)
{
    switch (c) {
    case RemoteCommand::Play: return QStringLiteral("Play");
    case RemoteCommand::Stop: return QStringLiteral("Stop");
    case RemoteCommand::Top: return QStringLiteral("Top");
    case RemoteCommand::Next: return QStringLiteral("Next");
    case RemoteCommand::Previous: return QStringLiteral("Previous");
    case RemoteCommand::Qs: return QStringLiteral("QS");
    case RemoteCommand::Panic: return QStringLiteral("Panic");
    }
    return QString();
}

QString RemoteBindings::caption(RemoteCommand c)
{
    switch (c) {
    case RemoteCommand::Play: return QStringLiteral("再生/スタンバイ");
    case RemoteCommand::Stop: return QStringLiteral("停止");
    case RemoteCommand::Top: return QStringLiteral("先頭に戻る");
    case RemoteCommand::Next: return QStringLiteral("次の曲");
    case RemoteCommand::Previous: return QStringLiteral("前の曲");
    case RemoteCommand::Qs: return QStringLiteral("QSモード");
    case RemoteCommand::Panic: return QStringLiteral("全ての音を止める");
    }
    return QString();
}

void RemoteBindings::read(const IniFile &ini)
{
    port = ini.readString(kSection, QStringLiteral("Port"), QString());
    const int t = ini.readInteger(kSection, QStringLiteral("Threshold"), kDefaultThreshold);
    threshold = t >= 1 && t <= 127 ? t : kDefaultThreshold;
    for (int i = 0; i < kRemoteCommandCount; ++i)
        bindings_[std::size_t(i)] =
            RemoteBinding::fromIni(ini.readString(kSection, key(RemoteCommand(i)), QString()));
}

void RemoteBindings::write(IniFile &ini) const
{
    ini.writeString(kSection, QStringLiteral("Port"), port);
    if (!ini.value(kSection, QStringLiteral("Threshold")).isNull() || threshold != kDefaultThreshold)
        ini.writeInteger(kSection, QStringLiteral("Threshold"), threshold);
    for (int i = 0; i < kRemoteCommandCount; ++i)
        ini.writeString(kSection, key(RemoteCommand(i)), bindings_[std::size_t(i)].iniText());
}

} // namespace kazoon
