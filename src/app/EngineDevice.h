#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "app/OutputControl.h"
#include "player/engine/MidiSequencer.h"
#include "player/engine/OutputConfig.h"

namespace kazoon {

class IniFile;

// Runs a function later on the UI thread; safe to call from the engine's
// threads. The engine hands its completions over through it.
engine::MidiSequencer::Poster uiPoster();

// The output chosen in the settings file:
//   [Output] Device=synth|port|none, Port=<port name>, SoundFont=<path>, GmReset=0|1
//   [FluidSynth] <synthesizer setting>=<value>, e.g. synth.gain=0.6
engine::OutputConfig readOutputConfig(const IniFile &ini);
// Writes the config back in place. Synthesizer settings the config does not
// hold stay in the file as the user wrote them.
void writeOutputConfig(IniFile &ini, const engine::OutputConfig &config);

// The config as the engine takes it: a synthesizer setting left blank
// ("audio.driver=" for the automatic choice) is the library's default.
engine::OutputConfig engineConfig(engine::OutputConfig config);

// The program's sequencer device on the configured output; songs come and go
// on it, and the output changes only through EngineOutputControl.
std::unique_ptr<engine::MidiSequencer> makeSequencer(const engine::OutputConfig &config);

// The output control of the program's own engine.
class EngineOutputControl final : public OutputControl {
public:
    using Opener = std::function<std::unique_ptr<engine::Output>(const engine::OutputConfig &)>;

    // `config` is the one the sequencer's output was opened with; `open`
    // builds outputs (never null; tests put recording outputs in).
    EngineOutputControl(engine::MidiSequencer &sequencer, engine::OutputConfig config,
                        Opener open = engine::openOutput);
    ~EngineOutputControl() override;

    engine::OutputConfig config() const override { return config_; }
    QStringList ports() const override;
    QStringList soundFonts() const override;
    QString apply(const engine::OutputConfig &config) override;
    SynthAudio synthAudio() const override;
    QString testChord() override;
    void stopTestChord() override;

private:
    engine::MidiSequencer &sequencer_;
    engine::OutputConfig config_;
    Opener open_;
    // While a test chord sounds, the output is lent to a sequencer of its own,
    // so that the song open on the main one keeps its place.
    std::unique_ptr<engine::MidiSequencer> chord_;
    std::shared_ptr<int> chordToken_; // the chord's end timer holds it weakly
};

} // namespace kazoon
