#include "songlist/SetupLines.h"

#include <QDir>
#include <QFileInfo>

#include "app/ParseInt.h"

namespace kazoon::songlist {

namespace {

const QLatin1String kSetupTag("setup"), kSysexTag("sysex"), kSongNumberTag("songno"), kNone("-");

std::optional<int> number(QStringView text, int low, int high)
{
    const std::optional<int> value = parseInteger(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

// A value 0-127 or "-" (-1).
std::optional<int> optionalValue(const QString &text)
{
    return text == kNone ? std::optional<int>(-1) : number(text, 0, 127);
}

QString valueText(int value) { return value < 0 ? QString(kNone) : QString::number(value); }

bool validPath(const QString &path) { return !path.isEmpty() && !path.contains(QChar(0)); }

} // namespace

bool isSetupTag(const QString &tag) { return tag == kSetupTag || tag == kSysexTag || tag == kSongNumberTag; }

bool parseSetupLine(const QString &line, engine::InstrumentSetup &setup)
{
    const QStringList parts = line.split(QLatin1Char('\t'));
    const QString &tag = parts.first();
    if (tag == kSysexTag) {
        const QString path = line.section(QLatin1Char('\t'), 1);
        if (parts.size() < 2 || !validPath(path))
            return false;
        setup.sysexFile = path.toStdString();
        return true;
    }
    if (tag == kSongNumberTag) {
        if (parts.size() < 4)
            return false;
        const auto program = number(parts.at(1), 0, 127);
        const auto channel = number(parts.at(2), 1, 16);
        const QString port = line.section(QLatin1Char('\t'), 3);
        if (!program || !channel || port.contains(QChar(0)))
            return false;
        setup.songNumber = *program;
        setup.songNumberChannel = *channel - 1;
        setup.songNumberPort = port.toStdString();
        return true;
    }
    if (parts.size() < 5)
        return false;
    const auto channel = number(parts.at(1), 1, 16);
    const auto msb = optionalValue(parts.at(2)), lsb = optionalValue(parts.at(3)), program = optionalValue(parts.at(4));
    if (!channel || !msb || !lsb || !program)
        return false;
    engine::ChannelSetup c{*msb, *lsb, *program, {}};
    for (qsizetype i = 5; i < parts.size(); ++i) {
        const qsizetype equals = parts.at(i).indexOf(QLatin1Char('='));
        if (equals < 0)
            return false;
        const auto controller = number(QStringView(parts.at(i)).left(equals), 0, 119);
        const auto value = number(QStringView(parts.at(i)).mid(equals + 1), 0, 127);
        if (!controller || !value)
            return false;
        c.controls.emplace_back(*controller, *value);
    }
    setup.channels[std::size_t(*channel - 1)] = std::move(c);
    return true;
}

QStringList setupLines(const engine::InstrumentSetup &setup)
{
    QStringList lines;
    const QLatin1Char tab('\t');
    for (int ch = 0; ch < engine::InstrumentSetup::kChannels; ++ch) {
        const engine::ChannelSetup &c = setup.channels[std::size_t(ch)];
        if (c.empty())
            continue;
        QString line = kSetupTag + tab + QString::number(ch + 1) + tab + valueText(c.bankMsb) + tab +
                       valueText(c.bankLsb) + tab + valueText(c.program);
        for (const auto &[controller, value] : c.controls)
            line += tab + QString::number(controller) + QLatin1Char('=') + QString::number(value);
        lines << line;
    }
    if (!setup.sysexFile.empty())
        lines << kSysexTag + tab + QString::fromStdString(setup.sysexFile);
    if (setup.songNumber >= 0)
        lines << kSongNumberTag + tab + QString::number(setup.songNumber) + tab +
                     QString::number(setup.songNumberChannel + 1) + tab + QString::fromStdString(setup.songNumberPort);
    return lines;
}

QString storedSysexPath(const QString &listPath, const QString &file)
{
    const QDir folder = QFileInfo(listPath).absoluteDir();
    const QString relative = folder.relativeFilePath(file);
    if (listPath.isEmpty() || relative.startsWith(QLatin1String("../")) || relative == QLatin1String("..") ||
        QDir::isAbsolutePath(relative))
        return QDir::cleanPath(file);
    return relative;
}

QString sysexFilePath(const QString &listPath, const QString &stored)
{
    if (stored.isEmpty() || QDir::isAbsolutePath(stored) || listPath.isEmpty())
        return stored;
    return QDir::cleanPath(QFileInfo(listPath).absoluteDir().filePath(stored));
}

} // namespace kazoon::songlist
