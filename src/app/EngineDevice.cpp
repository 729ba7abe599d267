#include "app/EngineDevice.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "app/IniFile.h"
#include "player/engine/FluidSynthOutput.h"
#include "player/engine/OutputText.h"
#include "player/engine/PortOutput.h"
#include "player/engine/RecordingOutput.h"

namespace kazoon {

namespace {
const QString kOutputSection = QStringLiteral("Output");
const QString kFluidSection = QStringLiteral("FluidSynth");

QStringList toQt(const std::vector<std::string> &texts)
{
    QStringList list;
    for (const std::string &text : texts)
        list << QString::fromStdString(text);
    return list;
}

QString reasonOf(const engine::Output &output)
{
    const std::string text = output.errorText();
    return QString::fromStdString(text.empty() ? kUnknownErrorText : text);
}
} // namespace

engine::MidiSequencer::Poster uiPoster()
{
    return [](std::function<void()> f) {
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(f), Qt::QueuedConnection);
    };
}

engine::OutputConfig readOutputConfig(const IniFile &ini)
{
    engine::OutputConfig config;
    config.device = engine::OutputConfig::parseDevice(
        ini.readString(kOutputSection, QStringLiteral("Device"), QStringLiteral("synth")).toStdString());
    config.port = ini.readString(kOutputSection, QStringLiteral("Port"), QString()).toStdString();
    config.soundFont = ini.readString(kOutputSection, QStringLiteral("SoundFont"), QString()).toStdString();
    config.gmReset = ini.readBool(kOutputSection, QStringLiteral("GmReset"), false);
    for (const QString &key : ini.keys(kFluidSection))
        config.fluidSettings.emplace_back(key.toStdString(),
                                          ini.readString(kFluidSection, key, QString()).toStdString());
    return config;
}

void writeOutputConfig(IniFile &ini, const engine::OutputConfig &config)
{
    ini.writeString(kOutputSection, QStringLiteral("Device"),
                    QString::fromLatin1(engine::OutputConfig::deviceName(config.device)));
    ini.writeString(kOutputSection, QStringLiteral("Port"), QString::fromStdString(config.port));
    ini.writeString(kOutputSection, QStringLiteral("SoundFont"), QString::fromStdString(config.soundFont));
    ini.writeBool(kOutputSection, QStringLiteral("GmReset"), config.gmReset);
    for (const auto &[key, value] : config.fluidSettings)
        ini.writeString(kFluidSection, QString::fromStdString(key), QString::fromStdString(value));
}

std::unique_ptr<engine::MidiSequencer> makeSequencer(const engine::OutputConfig &config)
{
    auto sequencer = std::make_unique<engine::MidiSequencer>(engine::openOutput(config), uiPoster());
    sequencer->setGmReset(config.gmReset);
    return sequencer;
}

EngineOutputControl::EngineOutputControl(engine::MidiSequencer &sequencer, engine::OutputConfig config,
                                         Opener open)
    : sequencer_(sequencer), config_(std::move(config)), open_(std::move(open))
{
}

QStringList EngineOutputControl::ports() const
{
    return toQt(engine::PortOutput::availablePorts());
}

QStringList EngineOutputControl::soundFonts() const
{
    return toQt(engine::FluidSynthOutput::listSoundFonts(engine::FluidSynthOutput::soundFontFolders()));
}

QString EngineOutputControl::apply(const engine::OutputConfig &config)
{
    if (sequencer_.Mode() == DeviceMode::Playing)
        return kOutputBusyText;
    std::unique_ptr<engine::Output> next = open_(config);
    const bool synthInUse = config_.device == engine::OutputConfig::Device::Synth && sequencer_.output().error() == 0;
    if (next->error() != 0 && synthInUse && config.device == engine::OutputConfig::Device::Synth &&
        next->errorText() == engine::output_text::kNoAudio) {
        // An audio device that admits one user at a time: the synthesizer in
        // use lets go of it first, and takes it back when the new one fails too.
        next.reset();
        sequencer_.setOutput(std::make_unique<engine::NullOutput>());
        next = open_(config);
        if (next->error() != 0) {
            const QString reason = reasonOf(*next);
            next.reset();
            sequencer_.setOutput(open_(config_));
            return reason;
        }
    }
    if (next->error() != 0)
        return reasonOf(*next);
    sequencer_.setGmReset(config.gmReset);
    sequencer_.setOutput(std::move(next));
    config_ = config;
    return {};
}

} // namespace kazoon
