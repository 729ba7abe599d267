#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "app/EngineDevice.h"
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "smf/SmfWriter.h"
#include "player/engine/OutputText.h"
#include "player/engine/RecordingOutput.h"
#include "support/TestApp.h"

using namespace kazoon;
using namespace kazoon::test;
using engine::OutputConfig;
using engine::RecordingOutput;

namespace {

OutputConfig synthConfig(const std::string &soundFont)
{
    OutputConfig config;
    config.soundFont = soundFont;
    return config;
}

int noteOns(const std::vector<RecordingOutput::Message> &messages)
{
    int n = 0;
    for (const auto &m : messages)
        n += (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0;
    return n;
}

// A sequencer whose outputs are hand-driven recordings; the port named
// "broken" cannot be used.
struct EngineRig {
    QTemporaryDir dir;
    std::vector<RecordingOutput *> opened;
    std::unique_ptr<engine::MidiSequencer> sequencer;
    std::unique_ptr<EngineOutputControl> control;
    std::string song;

    EngineRig()
    {
        const auto open = [this](const OutputConfig &config) -> std::unique_ptr<engine::Output> {
            auto output = std::make_unique<RecordingOutput>();
            output->fail(config.port == "broken");
            opened.push_back(output.get());
            return output;
        };
        sequencer = std::make_unique<engine::MidiSequencer>(open(portConfig("A")), nullptr);
        control = std::make_unique<EngineOutputControl>(*sequencer, portConfig("A"), open);
        smf::SmfWriter writer(0, 480);
        auto &track = writer.addTrack();
        for (int i = 0; i < 4; ++i)
            track.note(0, 60 + i, 100, 480);
        song = QDir(dir.path()).filePath("song.mid").toStdString();
        EXPECT_TRUE(writer.writeFile(song));
    }
    RecordingOutput *current() const { return static_cast<RecordingOutput *>(&sequencer->output()); }
};

TEST(OutputControl, SwitchesTheEngineOnlyWhenStoppedAndKeepsTheOldOutputWhenTheNewFails)
{
    EngineRig rig;
    RecordingOutput *a = rig.current();
    auto &seq = *rig.sequencer;
    seq.Open(rig.song);
    seq.Play();
    a->advanceBy(600'000);

    EXPECT_EQ(rig.control->apply(portConfig("B")), kOutputBusyText);
    EXPECT_EQ(rig.current(), a);
    EXPECT_EQ(rig.control->config().port, "A");
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);

    seq.Stop();
    const std::int64_t position = seq.Position();
    EXPECT_EQ(rig.control->apply(portConfig("B")), QString());
    RecordingOutput *b = rig.current();
    EXPECT_NE(b, a);
    EXPECT_EQ(rig.control->config().port, "B");
    EXPECT_EQ(seq.Position(), position);

    const QString reason = rig.control->apply(portConfig("broken"));
    EXPECT_EQ(reason, QString::fromStdString(engine::output_text::portLost("recording")));
    EXPECT_EQ(rig.current(), b);
    EXPECT_EQ(rig.control->config().port, "B");

    seq.Play();
    b->advanceBy(10'000'000);
    EXPECT_EQ(noteOns(b->take()), 2);
    EXPECT_EQ(seq.Position(), seq.Length());
}

TEST(OutputControl, TheTestChordSoundsOnTheOutputInUseAndLeavesTheSongWhereItWas)
{
    EngineRig rig;
    RecordingOutput *a = rig.current();
    auto &seq = *rig.sequencer;
    seq.Open(rig.song);
    seq.Play();
    a->advanceBy(600'000);
    EXPECT_EQ(rig.control->testChord(), kOutputBusyText);
    seq.Stop();
    const std::int64_t position = seq.Position();
    a->take();

    EXPECT_EQ(rig.control->testChord(), QString());
    a->advanceBy(2'000'000);
    const auto chord = a->take();
    EXPECT_EQ(noteOns(chord), 4);
    int noteOffs = 0;
    for (const auto &m : chord)
        noteOffs += (m.bytes[0] & 0xF0) == 0x80 || ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] == 0);
    EXPECT_GE(noteOffs, 4) << "nothing hangs";

    // The output is the song's again, which plays on from where it stopped.
    rig.control->stopTestChord();
    EXPECT_EQ(rig.current(), a);
    EXPECT_EQ(seq.Position(), position);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    seq.Play();
    a->advanceBy(10'000'000);
    EXPECT_EQ(noteOns(a->take()), 2);

    // A switch while the chord sounds takes the output back first.
    EXPECT_EQ(rig.control->testChord(), QString());
    EXPECT_EQ(rig.control->apply(portConfig("B")), QString());
    EXPECT_NE(rig.current(), a);
    EXPECT_EQ(rig.control->testChord(), QString());
}

TEST(OutputSettings, ABlankSynthesizerSettingIsTheLibrarysDefault)
{
    OutputConfig config;
    config.fluidSettings = {{"audio.driver", ""}, {"synth.gain", "0.6"}, {"audio.periods", ""}};
    const OutputConfig forEngine = engineConfig(config);
    ASSERT_EQ(forEngine.fluidSettings.size(), 1u);
    EXPECT_EQ(forEngine.fluidSettings[0].first, "synth.gain");
}

// Stands in for a synthesizer on an audio device that admits one user at a
// time: it cannot open while another one holds the device.
class ExclusiveOutput final : public engine::Output {
public:
    static inline int alive = 0;
    explicit ExclusiveOutput(bool broken) : failed_(broken || alive > 0) { alive += !failed_; }
    ~ExclusiveOutput() override { alive -= !failed_; }
    void attach(engine::Transport *transport) override { inner_.attach(transport); }
    std::int64_t nowUs() const override { return inner_.nowUs(); }
    void wake() override { inner_.wake(); }
    int error() const override { return failed_ ? device_error::PortInUse : 0; }
    std::string errorText() const override { return failed_ ? engine::output_text::kNoAudio : ""; }

private:
    bool failed_;
    RecordingOutput inner_;
};

TEST(OutputControl, AnAudioDeviceForOneUserIsHandedOverAndTakenBackWhenTheNewSynthFails)
{
    std::vector<std::string> opened;
    const auto open = [&](const OutputConfig &config) -> std::unique_ptr<engine::Output> {
        opened.push_back(config.soundFont);
        return std::make_unique<ExclusiveOutput>(config.soundFont == "bad.sf2");
    };
    engine::MidiSequencer seq(open(synthConfig("a.sf2")), nullptr);
    EngineOutputControl control(seq, synthConfig("a.sf2"), open);

    EXPECT_EQ(control.apply(synthConfig("b.sf2")), QString());
    EXPECT_EQ(opened, (std::vector<std::string>{"a.sf2", "b.sf2", "b.sf2"}));
    EXPECT_EQ(seq.output().error(), 0);
    EXPECT_EQ(ExclusiveOutput::alive, 1);

    opened.clear();
    EXPECT_EQ(control.apply(synthConfig("bad.sf2")), QString::fromUtf8(engine::output_text::kNoAudio));
    EXPECT_EQ(opened, (std::vector<std::string>{"bad.sf2", "bad.sf2", "b.sf2"}));
    EXPECT_EQ(seq.output().error(), 0);
    EXPECT_EQ(ExclusiveOutput::alive, 1);
    EXPECT_EQ(control.config().soundFont, "b.sf2");
}

TEST(OutputSettings, RoundTripInPlaceKeepsTheUsersSynthesizerKeys)
{
    IniFile ini;
    ini.parse("[Output]\r\nDevice=Port\r\nPort=SC-88 MIDI 1 24:0\r\n"
              "[FluidSynth]\r\nsynth.gain=0.6\r\naudio.driver=alsa\r\n"
              "[Other]\r\nName=keep\r\n");
    OutputConfig config = readOutputConfig(ini);
    EXPECT_EQ(config.device, OutputConfig::Device::Port);
    EXPECT_EQ(config.port, "SC-88 MIDI 1 24:0");
    EXPECT_EQ(config.soundFont, "");
    ASSERT_EQ(config.fluidSettings.size(), 2u);

    writeOutputConfig(ini, config);
    EXPECT_FALSE(config.gmReset);
    EXPECT_EQ(ini.text(), "[Output]\nDevice=port\nPort=SC-88 MIDI 1 24:0\nSoundFont=\nGmReset=0\n"
                          "[FluidSynth]\nsynth.gain=0.6\naudio.driver=alsa\n"
                          "[Other]\nName=keep\n");

    // A config that knows fewer synthesizer keys drops none of the user's.
    config.device = OutputConfig::Device::Synth;
    config.soundFont = "/usr/share/sounds/sf2/歌.sf2";
    config.fluidSettings = {{"synth.gain", "0.4"}, {"audio.period-size", "64"}};
    config.gmReset = true;
    writeOutputConfig(ini, config);
    EXPECT_EQ(ini.text(), "[Output]\nDevice=synth\nPort=SC-88 MIDI 1 24:0\nSoundFont=/usr/share/sounds/sf2/歌.sf2\n"
                          "GmReset=1\n"
                          "[FluidSynth]\nsynth.gain=0.4\naudio.driver=alsa\naudio.period-size=64\n"
                          "[Other]\nName=keep\n");
    const OutputConfig back = readOutputConfig(ini);
    EXPECT_EQ(back.soundFont, config.soundFont);
    EXPECT_EQ(back.fluidSettings.size(), 3u);
    EXPECT_TRUE(back.gmReset);
}

TEST(OutputControl, TheGmResetChoiceReachesTheEngineWithTheOutput)
{
    EngineRig rig;
    OutputConfig config = portConfig("B");
    config.gmReset = true;
    EXPECT_EQ(rig.control->apply(config), QString());
    EXPECT_TRUE(rig.sequencer->gmReset());
    EXPECT_TRUE(rig.control->config().gmReset);
    config.gmReset = false;
    EXPECT_EQ(rig.control->apply(config), QString());
    EXPECT_FALSE(rig.sequencer->gmReset());
}

TEST(OutputControl, TheOutputSwitchedThroughTheEnvironmentIsWrittenAtClose)
{
    TestApp app;
    app.writeSettings("[FluidSynth]\nsynth.gain=0.6\n");
    app.output.setConfig(readOutputConfig(IniFile(app.settingsPath())));
    app.start();
    OutputControl *output = app.env.output;

    app.output.failNext(QStringLiteral("使用できません。"));
    EXPECT_EQ(output->apply(portConfig("USB MIDI 1")), QStringLiteral("使用できません。"));
    EXPECT_EQ(output->config().device, OutputConfig::Device::Synth);

    OutputConfig config = output->config();
    config.device = OutputConfig::Device::Port;
    config.port = "USB MIDI 1";
    config.gmReset = true;
    EXPECT_EQ(output->apply(config), QString());
    EXPECT_EQ(app.output.applied.size(), 1);

    app.main()->close();
    const QString text = app.readSettings();
    EXPECT_TRUE(text.startsWith("[FluidSynth]\nsynth.gain=0.6\n")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("[Output]\nDevice=port\nPort=USB MIDI 1\nSoundFont=\nGmReset=1\n")) << text.toStdString();
}

} // namespace

// The program's own opener: silence opens anywhere, a missing port does not.
TEST(OutputControl, TheRealOpenerSwitchesToSilenceAndRefusesAMissingPort)
{
    OutputConfig none;
    none.device = OutputConfig::Device::None;
    auto sequencer = makeSequencer(none);
    EngineOutputControl control(*sequencer, none);
    for (const QString &path : control.soundFonts())
        EXPECT_TRUE(path.endsWith(".sf2", Qt::CaseInsensitive) || path.endsWith(".sf3", Qt::CaseInsensitive));
    control.ports(); // none on a machine without MIDI, but it answers

    const QString reason = control.apply(portConfig("Kazoon test port that is not there"));
    EXPECT_TRUE(reason.startsWith("MIDI出力ポートを使用できません。")) << reason.toStdString();
    EXPECT_EQ(control.config().device, OutputConfig::Device::None);
    EXPECT_EQ(sequencer->output().error(), 0);
    EXPECT_EQ(control.apply(none), QString());
}
