#include "player/SetClock.h"

#include <QCoreApplication>
#include <QEvent>

#include "player/engine/MidiFile.h"
#include "player/engine/SongAdjust.h"

namespace kazoon::player {

SongTiming readSongTiming(const QString &path)
{
    SongTiming t;
    try {
        const engine::Song song = engine::loadMidiFile(path.toStdString());
        // A song ends at a whole step, as the player plays it.
        t.lengthUs = song.tempo.tickToUs(song.tempo.stepToTick(song.lengthSteps()));
        t.tempo = song.tempo;
        t.known = true;
    } catch (const std::exception &) {
    }
    return t;
}

TimeLeft timeLeft(const std::vector<SongTiming> &songs, const std::vector<int> &tempoPercents,
                  int current, std::int64_t position, bool lastRepeats)
{
    TimeLeft left;
    const int n = int(songs.size());
    if (current < 0 || current >= n)
        return left;
    left.atLeast = lastRepeats;
    for (int i = current; i < n; ++i) {
        const SongTiming &s = songs[std::size_t(i)];
        if (!s.known) {
            left.atLeast = true;
            continue;
        }
        left.anyKnown = true;
        std::int64_t us = s.lengthUs;
        if (i == current && position > 0)
            us -= s.tempo.tickToUs(s.tempo.stepToTick(position));
        const int tempo = std::size_t(i) < tempoPercents.size() ? tempoPercents[std::size_t(i)] : 100;
        left.us += engine::clockUsFor(std::max<std::int64_t>(us, 0), tempo);
    }
    return left;
}

namespace {

QString minutesSeconds(std::int64_t seconds)
{
    return QStringLiteral("%1分%2秒").arg(seconds / 60).arg(seconds % 60);
}

} // namespace

QString elapsedText(std::int64_t ms)
{
    return QStringLiteral("経過 ") + minutesSeconds(std::max<std::int64_t>(ms, 0) / 1000);
}

QString timeLeftText(const std::optional<TimeLeft> &left)
{
    if (!left)
        return QStringLiteral("残り 計算中");
    if (!left->anyKnown && left->atLeast)
        return QStringLiteral("残り 不明");
    const QString time = minutesSeconds((left->us + 999'999) / 1'000'000);
    return left->atLeast ? QStringLiteral("残り 約") + time + QStringLiteral("以上")
                         : QStringLiteral("残り ") + time;
}

SongLengths::SongLengths(QObject *parent) : QObject(parent)
{
    // One reader: the songs are read one after the other, off the show's thread.
    pool_.setMaxThreadCount(1);
}

SongLengths::~SongLengths()
{
    if (cancel_)
        cancel_->store(true);
    pool_.waitForDone();
}

void SongLengths::setPaths(const QStringList &paths)
{
    if (paths == paths_)
        return;
    if (cancel_)
        cancel_->store(true);
    paths_ = paths;
    timings_.clear();
    ready_ = false;
    const int generation = ++generation_;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    cancel_ = cancel;
    pool_.start([this, paths, generation, cancel] {
        auto timings = std::make_shared<std::vector<SongTiming>>();
        timings->reserve(std::size_t(paths.size()));
        for (const QString &path : paths) {
            if (cancel->load())
                return;
            timings->push_back(readSongTiming(path));
        }
        // The object outlives this task (its destructor waits for it); the
        // queued call is dropped if the object is gone by the time it runs.
        QMetaObject::invokeMethod(
            this,
            [this, generation, timings] {
                if (generation != generation_)
                    return;
                timings_ = std::move(*timings);
                ready_ = true;
                emit lengthsReady();
            },
            Qt::QueuedConnection);
    });
}

void SongLengths::waitForResult()
{
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

} // namespace kazoon::player
