#pragma once

#include <QString>
#include <memory>

#include "player/engine/MidiSequencer.h"
#include "player/engine/OutputConfig.h"

namespace kazoon {

class IniFile;

// Runs a function later on the UI thread; safe to call from the engine's
// threads. The engine hands its completions over through it.
engine::MidiSequencer::Poster uiPoster();

// The output chosen in the settings file:
//   [Output] Device=synth|port|none, Port=<port name>, SoundFont=<path>
//   [FluidSynth] <synthesizer setting>=<value>, e.g. synth.gain=0.6
engine::OutputConfig readOutputConfig(const IniFile &ini);

// The program's sequencer device on the output of the settings file. The
// output is opened here, once; songs come and go on it.
std::unique_ptr<engine::MidiSequencer> makeSequencer(const QString &settingsPath);

} // namespace kazoon
