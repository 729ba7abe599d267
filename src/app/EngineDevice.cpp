#include "app/EngineDevice.h"

#include <QCoreApplication>
#include <QDir>
#include <QMetaObject>
#include <QTemporaryFile>
#include <QTimer>
#include <algorithm>

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

// C major over middle C on channel 1 with a piano, held for one second.
QByteArray chordFile()
{
    QByteArray track;
    auto put = [&track](std::initializer_list<int> bytes) {
        for (int b : bytes)
            track.append(char(b));
    };
    put({0x00, 0xC0, 0x00, 0x00, 0xB0, 0x07, 100});
    for (int note : {60, 64, 67, 72})
        put({0x00, 0x90, note, 90});
    put({0x87, 0x40, 0x80, 60, 64}); // 960 ticks: two beats at 120 per minute
    for (int note : {64, 67, 72})
        put({0x00, 0x80, note, 64});
    put({0x00, 0xFF, 0x2F, 0x00});
    static const char header[] = "MThd\0\0\0\6\0\0\0\1\1\xE0MTrk"; // format 0, one track, 480 per beat
    QByteArray file(header, sizeof header - 1);
    const auto size = quint32(track.size());
    for (int shift : {24, 16, 8, 0})
        file.append(char((size >> shift) & 0xFF));
    return file + track;
}

constexpr int kChordMs = 1000;
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

engine::OutputConfig engineConfig(engine::OutputConfig config)
{
    std::erase_if(config.fluidSettings, [](const auto &setting) { return setting.second.empty(); });
    return config;
}

std::unique_ptr<engine::MidiSequencer> makeSequencer(const engine::OutputConfig &config)
{
    auto sequencer =
        std::make_unique<engine::MidiSequencer>(engine::openOutput(engineConfig(config)), uiPoster());
    sequencer->setGmReset(config.gmReset);
    return sequencer;
}

EngineOutputControl::EngineOutputControl(engine::MidiSequencer &sequencer, engine::OutputConfig config,
                                         Opener open)
    : sequencer_(sequencer), config_(std::move(config)), open_(std::move(open))
{
}

EngineOutputControl::~EngineOutputControl() { stopTestChord(); }

QStringList EngineOutputControl::ports() const
{
    return toQt(engine::PortOutput::availablePorts());
}

QStringList EngineOutputControl::soundFonts() const
{
    return toQt(engine::installedSoundFonts());
}

QString EngineOutputControl::apply(const engine::OutputConfig &config)
{
    if (sequencer_.Mode() == DeviceMode::Playing)
        return kOutputBusyText;
    stopTestChord();
    std::unique_ptr<engine::Output> next = open_(engineConfig(config));
    const bool synthInUse = config_.device == engine::OutputConfig::Device::Synth && sequencer_.output().error() == 0;
    if (next->error() != 0 && synthInUse && config.device == engine::OutputConfig::Device::Synth &&
        next->errorText() == engine::output_text::kNoAudio) {
        // An audio device that admits one user at a time: the synthesizer in
        // use lets go of it first, and takes it back when the new one fails too.
        next.reset();
        sequencer_.setOutput(std::make_unique<engine::NullOutput>());
        next = open_(engineConfig(config));
        if (next->error() != 0) {
            const QString reason = reasonOf(*next);
            next.reset();
            sequencer_.setOutput(open_(engineConfig(config_)));
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

namespace kazoon {

SynthAudio EngineOutputControl::synthAudio() const
{
    SynthAudio audio;
    const std::optional<engine::AudioSystems> offered = engine::audioSystems();
    if (!offered)
        return audio;
    audio.drivers = toQt(offered->drivers);
    // The engine's own low-latency buffer, not the library's default.
    audio.periodSize = engine::kDefaultAudioPeriodSize;
    audio.periods = engine::kDefaultAudioPeriods;
    audio.sampleRate = offered->sampleRate;
    audio.minPeriodSize = offered->minPeriodSize;
    audio.maxPeriodSize = offered->maxPeriodSize;
    audio.minPeriods = offered->minPeriods;
    audio.maxPeriods = offered->maxPeriods;
    return audio;
}

QString EngineOutputControl::testChord()
{
    if (sequencer_.Mode() == DeviceMode::Playing)
        return kOutputBusyText;
    stopTestChord();
    engine::Output &output = sequencer_.output();
    if (output.error() != 0 && !output.recover())
        return reasonOf(output);
    if (config_.device == engine::OutputConfig::Device::None)
        return {};

    QTemporaryFile file(QDir(QDir::tempPath()).filePath(QStringLiteral("kazoon-chord-XXXXXX.mid")));
    const QByteArray bytes = chordFile();
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return QString::fromUtf8(kUnknownErrorText);
    auto chord = std::make_unique<engine::MidiSequencer>(std::make_unique<engine::NullOutput>(), nullptr);
    try {
        chord->Open(file.fileName().toStdString());
    } catch (const DeviceError &e) {
        return QString::fromStdString(e.what());
    }
    chord->setOutput(sequencer_.setOutput(std::make_unique<engine::NullOutput>()));
    chord->SetNotifyNext(false);
    chord->Play();
    chord_ = std::move(chord);
    chordToken_ = std::make_shared<int>(0);
    // The output comes back to the songs when the chord has rung out.
    if (QCoreApplication *app = QCoreApplication::instance())
        QTimer::singleShot(kChordMs + 300, app, [this, token = std::weak_ptr<int>(chordToken_)] {
            if (token.lock())
                stopTestChord();
        });
    return {};
}

void EngineOutputControl::stopTestChord()
{
    if (!chord_)
        return;
    chordToken_.reset();
    // The chord's silence goes to the output before the songs get it back.
    std::unique_ptr<engine::Output> output = chord_->setOutput(std::make_unique<engine::NullOutput>());
    sequencer_.setOutput(std::move(output));
    chord_.reset();
}

} // namespace kazoon
