#include "app/EngineDevice.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "app/IniFile.h"

namespace kazoon {

engine::MidiSequencer::Poster uiPoster()
{
    return [](std::function<void()> f) {
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(f), Qt::QueuedConnection);
    };
}

engine::OutputConfig readOutputConfig(const IniFile &ini)
{
    const QString output = QStringLiteral("Output");
    const QString fluid = QStringLiteral("FluidSynth");
    engine::OutputConfig config;
    config.device = engine::OutputConfig::parseDevice(
        ini.readString(output, QStringLiteral("Device"), QStringLiteral("synth")).toStdString());
    config.port = ini.readString(output, QStringLiteral("Port"), QString()).toStdString();
    config.soundFont = ini.readString(output, QStringLiteral("SoundFont"), QString()).toStdString();
    for (const QString &key : ini.keys(fluid))
        config.fluidSettings.emplace_back(key.toStdString(),
                                          ini.readString(fluid, key, QString()).toStdString());
    return config;
}

std::unique_ptr<engine::MidiSequencer> makeSequencer(const QString &settingsPath)
{
    const IniFile ini(settingsPath);
    return std::make_unique<engine::MidiSequencer>(engine::openOutput(readOutputConfig(ini)),
                                                   uiPoster());
}

} // namespace kazoon
