#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "player/engine/TempoMap.h"

namespace kazoon::player {

// What the set clock knows of one song: its length in time and the tempo
// map that turns a position in steps into time. Unknown when the file could
// not be read.
struct SongTiming {
    bool known = false;
    std::int64_t lengthUs = 0;
    engine::TempoMap tempo;
};

// Reads a song's timing through the engine's MIDI file reader.
SongTiming readSongTiming(const QString &path);

// The time left in the set: the rest of the current song from `position`
// (in steps) plus every song after it, each at the tempo it is played at
// (tempoPercents[i] for song i, 100 where it has none). `atLeast` when a song
// on the way is unknown, or the last song repeats.
struct TimeLeft {
    std::int64_t us = 0;
    bool atLeast = false;
    bool anyKnown = false;
};
TimeLeft timeLeft(const std::vector<SongTiming> &songs, const std::vector<int> &tempoPercents,
                  int current, std::int64_t position, bool lastRepeats);
// What the clock shows once the set's last song has ended.
inline TimeLeft noTimeLeft() { return {0, false, true}; }

// "経過 N分N秒" and "残り N分N秒" as the set clock shows them; the time left
// rounds up, so that it reads 0分0秒 only when the set is over.
QString elapsedText(std::int64_t ms);
QString timeLeftText(const std::optional<TimeLeft> &left); // nullopt while the lengths are read

// Reads the lengths of a list's songs on a thread of its own and hands them
// back on the UI thread (lengthsReady). A newer list cancels the older read,
// and a late result of it is dropped.
class SongLengths : public QObject {
    Q_OBJECT
public:
    explicit SongLengths(QObject *parent = nullptr);
    ~SongLengths() override;

    // Starts reading unless these are the paths read or being read.
    void setPaths(const QStringList &paths);
    const QStringList &paths() const { return paths_; }
    bool ready() const { return ready_; }
    const std::vector<SongTiming> &timings() const { return timings_; }
    // Waits for the running read and delivers its result (tests, the close).
    void waitForResult();

signals:
    void lengthsReady();

private:
    QThreadPool pool_;
    QStringList paths_;
    std::vector<SongTiming> timings_;
    bool ready_ = false;
    int generation_ = 0;
    std::shared_ptr<std::atomic<bool>> cancel_;
};

} // namespace kazoon::player
