#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "TestApp.h"
#include "player/engine/MidiSequencer.h"
#include "player/engine/RecordingOutput.h"

namespace kazoon::test {

// The program's windows on the real engine, playing into a recording output:
// by hand (tests move the clock) or in real time (the benchmark).
struct EngineShow {
    explicit EngineShow(engine::Driver::Mode mode);
    ~EngineShow();

    // Writes the song list file of these entries, creates the windows and
    // opens the list as the performer would.
    TfrmMain *open(const QStringList &entries);

    TestApp app;
    engine::RecordingOutput *output = nullptr;
    std::unique_ptr<engine::MidiSequencer> sequencer;
};

// A song of `beats` quarter notes of one key at `bpm` (PPQN 480), so that a
// recording tells the songs apart by key.
void writeQuarterNotes(const QString &path, int key, int beats, double bpm);

} // namespace kazoon::test
