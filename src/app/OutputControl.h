#pragma once

#include <QString>
#include <QStringList>

#include "player/engine/OutputConfig.h"

namespace kazoon {

inline const QString kOutputBusyText = QStringLiteral("演奏中は出力を切り替えられません。演奏を止めてから設定してください。");

// What the installed synthesizer offers for its audio, and the buffer it
// uses when the settings do not say.
struct SynthAudio {
    QStringList drivers; // the library's names ("pulseaudio", "jack", "alsa", ...)
    int periodSize = 64; // frames per period
    int periods = 16;
    double sampleRate = 44100.0;
    int minPeriodSize = 64, maxPeriodSize = 8192;
    int minPeriods = 2, maxPeriods = 64;
};

// The outputs' rules that the windows share, asked of the engine so that the
// windows need not know its outputs.
// The latency of an audio buffer, in milliseconds.
double audioLatencyMs(int periods, int periodSize, double sampleRate);
// The folder of the system's SoundFonts, where a search for one begins.
QString soundFontFolder();
// The index in `ports` of the port that `wanted` names, or -1, as the MIDI
// outputs and the remote find their ports: the exact name first, then the
// name without the numbers the system adds.
int findPort(const QStringList &ports, const QString &wanted);

// The sound output as the windows see it: what is in use, what the system
// offers, and the switch. All calls come from the UI thread.
class OutputControl {
public:
    virtual ~OutputControl() = default;

    // The output in use, as the settings file keeps it.
    virtual engine::OutputConfig config() const = 0;
    // The external MIDI ports the system offers now, by name.
    virtual QStringList ports() const = 0;
    // The SoundFonts installed in the usual places.
    virtual QStringList soundFonts() const = 0;
    // The audio systems and buffer limits of the built-in synthesizer.
    virtual SynthAudio synthAudio() const = 0;

    // Switches the output. Returns an empty text on success, otherwise why
    // not, and the output in use stays. Refused while a song plays; a stopped
    // or paused song stays open where it is.
    virtual QString apply(const engine::OutputConfig &config) = 0;

    // Plays a short chord through the output in use and returns at once;
    // an empty text, or why it cannot sound. Refused while a song plays.
    virtual QString testChord() = 0;
    // Cuts a test chord short, so that the output is the songs' again.
    virtual void stopTestChord() = 0;
};

} // namespace kazoon
