#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "app/OutputControl.h"

namespace kazoon::test {

// An output set to the external port of this name.
inline engine::OutputConfig portConfig(const std::string &port)
{
    engine::OutputConfig config;
    config.device = engine::OutputConfig::Device::Port;
    config.port = port;
    return config;
}

class FakeDevice;

// A scripted output control for window tests: the ports and SoundFonts are
// what the test says, every switch is recorded, and a switch fails when the
// test has asked for it. Like the real one it refuses while the device plays.
class FakeOutputControl : public OutputControl {
public:
    explicit FakeOutputControl(FakeDevice *device = nullptr) : device_(device) {}

    engine::OutputConfig config() const override { return config_; }
    QStringList ports() const override { return portNames; }
    QStringList soundFonts() const override { return soundFontPaths; }
    QString apply(const engine::OutputConfig &config) override;
    SynthAudio synthAudio() const override { return audio; }
    QString testChord() override;
    void stopTestChord() override { chordSounding = false; }

    // The config the program starts with, as read from its settings.
    void setConfig(const engine::OutputConfig &config) { config_ = config; }
    // The next switch fails with this text.
    void failNext(const QString &text) { failText_ = text; }

    QStringList portNames;
    QStringList soundFontPaths;
    QList<engine::OutputConfig> applied; // every switch that succeeded
    SynthAudio audio{{"alsa", "jack", "pulseaudio", "file"}, 64, 2, 48000.0};
    int chords = 0; // test chords played
    bool chordSounding = false;

private:
    FakeDevice *device_;
    engine::OutputConfig config_;
    QString failText_;
};

} // namespace kazoon::test
