#include "songlist/InstrumentSetups.h"

#include <QFileInfo>

#include "player/engine/SetupPort.h"

namespace kazoon {

InstrumentSetups::InstrumentSetups(InstrumentHost host) : host_(std::move(host)) {}

InstrumentSetups::~InstrumentSetups() = default;

QString InstrumentSetups::readFile(const QString &file)
{
    engine::SysexRead read = engine::readSysexFile(file.toStdString());
    const engine::SysexRead::Status status = read.status;
    files_[file] = std::move(read);
    if (status == engine::SysexRead::Ok)
        return {};
    return QString::fromStdString(engine::sysexErrorText(status, QFileInfo(file).fileName().toStdString()));
}

QStringList InstrumentSetups::readFiles(const QStringList &files)
{
    files_.clear();
    QStringList refused;
    for (const QString &file : files)
        if (!files_.count(file))
            if (const QString text = readFile(file); !text.isEmpty())
                refused << text;
    return refused;
}

std::shared_ptr<const engine::SetupMessages> InstrumentSetups::messages(const engine::InstrumentSetup &setup) const
{
    if (setup.empty())
        return nullptr;
    engine::InstrumentSetup own = setup;
    // A song number for the port the song plays through goes with the song.
    if (!own.songNumberPort.empty() && host_.songPort && own.songNumberPort == host_.songPort())
        own.songNumberPort.clear();
    static const std::vector<std::vector<std::uint8_t>> none;
    const auto file = files_.find(QString::fromStdString(setup.sysexFile));
    const bool usable = file != files_.end() && file->second.status == engine::SysexRead::Ok;
    auto out = std::make_shared<engine::SetupMessages>(engine::setupMessages(own, usable ? file->second.messages : none));
    return out->messages.empty() ? nullptr : out;
}

void InstrumentSetups::prepare(const engine::InstrumentSetup &setup)
{
    if (host_.setupNext)
        host_.setupNext(messages(setup));
    if (setup.songNumber < 0 || setup.songNumberPort.empty() ||
        (host_.songPort && setup.songNumberPort == host_.songPort()))
        return;
    auto &port = ports_[setup.songNumberPort];
    if (!port) {
        if (!host_.openPort)
            return;
        port = std::make_unique<engine::SetupPort>(host_.openPort(setup.songNumberPort));
    }
    const std::string error = port->send(std::make_shared<engine::SetupMessages>(engine::songNumberMessages(setup)));
    if (!error.empty() && host_.report)
        host_.report(QString::fromStdString(error));
}

} // namespace kazoon
