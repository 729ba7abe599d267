// Figures of the show through the whole program path: the main window with its
// 50 ms timer and deferred loads, the engine's real-time thread and a
// recording output that timestamps what it is handed.
//
//   medley_gap_ms_p50 / medley_gap_ms_max: last event of a marked song to the
//       first event of the next one, load included, over 20 transitions.
//   qs_start_latency_us_p50 / _p99 / _max: Enter in StandbyDone to the first
//       event at the output.
//   remote_start_latency_us_p50 / _p99: the same start from the MIDI remote: a
//       note-on handed over on a thread of its own, as the input's thread does,
//       to the first event at the output.
//   lyrics_page_change_us_p50 / _max: a play timer tick that turns the lyrics
//       page, from the tick to the label's new text (one page a beat, 256 pages).
//   lyrics_tick_idle_ns: the lyrics part of a tick (UpdateLyricsPage) when the
//       page stays, on a card of 256 marks; lyrics_tick_idle_allocs: heap
//       allocations it made over all those calls (should be 0).
//   The lyrics figures again with "_song": the pages made from the song's own
//       lyric events (no card file), the next page's first line shown too.
//   song_lyrics_extract_ms_min / _p50 / _max: the card made from a song of 1 MiB with
//       5,000 lyric events (Japanese, a line each, a page every four lines),
//       from the parsed song, over 20 runs; "_sjis" for the same in Shift-JIS.
//   lyrics_huge_page_load_ms / lyrics_huge_page_f5_ms / lyrics_long_line_load_ms:
//       a song whose card opens with a page of 100,000 short lines (about
//       500 KB), or of one line of 300,000 characters, loaded with the lyrics
//       window up and read again with F5: from the command until the window
//       has laid out and drawn the page.
//   lesson_wrap_ms_p50 / lesson_wrap_ms_max: the time of the end flag to the
//       first event of the next pass of a lesson passage, over 20 wraps.
//   The medley and QS figures again with "_adjusted": every song with its own
//       key, tempo and level (+2, 110 %, 80 %) from the file beside the list;
//       and with "_click": the click mixed into the song over every beat, and a
//       count-in of a bar (which the medley's songs that run on do not get).
//   show_jitter_us_p50 / _p99 / _max: how late the medley's events reached the
//       output against when they were due.
//   bandview_update_ms_p50 / _p99 / _max: a page of lyrics turning in the
//       program to its text in each of 10 band view pages.
//   With KAZOON_BENCH_BAND_CLIENTS=N the medley and QS figures are taken with
//   the band view on and N pages connected.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QStringEncoder>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "BandLoad.h"
#include "BenchWait.h"
#include "smf/SmfWriter.h"
#include "support/EngineShow.h"
#include "app/MainWindow.h"
#include "lyrics/SongLyrics.h"
#include "lyrics/TfrmWrd.h"
#include "player/engine/MidiFile.h"
#include "player/TrackBar.h"
#include "songlist/SongSettings.h"

using namespace kazoon;
using bench::percentile;
using bench::runUntil;

namespace {
// Heap allocations counted while set (the lyrics tick's figure).
std::atomic<bool> countAllocations{false};
std::atomic<long> allocations{0};
} // namespace

void *operator new(std::size_t size)
{
    if (countAllocations.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

namespace {

bool isNoteOn(const engine::RecordingOutput::Message &m)
{
    return m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0;
}
bool isNoteOff(const engine::RecordingOutput::Message &m)
{
    return m.bytes.size() == 3
           && ((m.bytes[0] & 0xF0) == 0x80 || ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] == 0));
}

constexpr engine::SongAdjust kShowAdjust{2, 110, 80};

// Band view pages connected while the show's figures are taken.
int bandClients = 0;

enum class Variant { Plain, Adjusted, Click };

const char *suffixOf(Variant v) { return v == Variant::Adjusted ? "_adjusted" : v == Variant::Click ? "_click" : ""; }

// Gives every song the show's settings, in the file beside the list: its
// key, tempo and level, or the click over it.
void writeSongSettings(test::EngineShow &rig, const QStringList &songs, Variant variant)
{
    if (variant == Variant::Plain)
        return;
    songlist::SongSettings settings;
    for (const QString &song : songs)
        settings.insert(song, variant == Variant::Adjusted
                                  ? songlist::SongRecord{kShowAdjust, {}, {}}
                                  : songlist::SongRecord{{}, {songlist::SongCount::kDefaultBars, true}, {}});
    rig.app.makeFile(QStringLiteral("show.mnu.kzs"), songlist::serialiseSongSettings(settings));
}

QString clickSettings(Variant variant)
{
    return variant == Variant::Click ? QStringLiteral("[Click]\r\nRoute=mix\r\nCount=1\r\n") : QString();
}

void medleyGap(Variant variant)
{
    constexpr int transitions = 20;
    const bool adjusted = variant == Variant::Adjusted;
    const char *suffix = suffixOf(variant);
    const int shift = adjusted ? kShowAdjust.transpose : 0;
    test::EngineShow rig(engine::Driver::Mode::RealTime);
    QStringList entries, songs;
    for (int i = 0; i <= transitions; ++i) {
        const QString song = rig.app.path(QStringLiteral("m%1.mid").arg(i));
        test::writeQuarterNotes(song, 40 + i, 4, 480); // half a second each
        entries << QStringLiteral("%1 %2").arg(i < transitions ? 1 : 0).arg(song);
        songs << song;
    }
    writeSongSettings(rig, songs, variant);
    if (variant == Variant::Click)
        rig.app.writeSettings(clickSettings(variant));
    TfrmMain *m = rig.open(entries);
    const auto band = bench::attachBand(m, bandClients);
    m->ButtonPlayClick();
    if (!runUntil([&] { return m->songIndex == transitions && !m->playing; }, 60'000)) {
        std::printf("medley_gap_ms%s=failed\n", suffix);
        return;
    }
    const auto messages = rig.output->messages();
    std::vector<double> gaps;
    for (int i = 0; i < transitions; ++i) {
        std::int64_t lastOfSong = -1, firstOfNext = -1;
        for (const auto &msg : messages) {
            if (isNoteOff(msg) && msg.bytes[1] == 40 + i + shift)
                lastOfSong = msg.sentUs;
            if (firstOfNext < 0 && isNoteOn(msg) && msg.bytes[1] == 41 + i + shift)
                firstOfNext = msg.sentUs;
        }
        if (lastOfSong >= 0 && firstOfNext >= 0)
            gaps.push_back(double(firstOfNext - lastOfSong) / 1000.0);
    }
    std::printf("medley_transitions%s=%zu\n", suffix, gaps.size());
    std::printf("medley_gap_ms_p50%s=%.1f\n", suffix, percentile(gaps, 0.5));
    std::printf("medley_gap_ms_max%s=%.1f\n", suffix,
                gaps.empty() ? 0.0 : *std::max_element(gaps.begin(), gaps.end()));
    std::vector<double> lateness;
    for (const auto &msg : messages)
        lateness.push_back(double(msg.sentUs - msg.dueUs));
    std::printf("show_jitter_us_p50%s=%.0f\n", suffix, percentile(lateness, 0.5));
    std::printf("show_jitter_us_p99%s=%.0f\n", suffix, percentile(lateness, 0.99));
    std::printf("show_jitter_us_max%s=%.0f\n", suffix,
                lateness.empty() ? 0.0 : *std::max_element(lateness.begin(), lateness.end()));
}

void qsStartLatency(Variant variant)
{
    constexpr int samples = 100;
    const char *suffix = suffixOf(variant);
    test::EngineShow rig(engine::Driver::Mode::RealTime);
    const QString song = rig.app.path(QStringLiteral("qs.mid"));
    test::writeQuarterNotes(song, 60, 4, 960); // a step is about 16 ms, so a standby run takes a quarter second
    writeSongSettings(rig, {song}, variant);
    rig.app.writeSettings(QStringLiteral("[QS_Mode]\r\nSet=1\r\n") + clickSettings(variant));
    TfrmMain *m = rig.open({QStringLiteral("0 ") + song});
    const auto band = bench::attachBand(m, bandClients);
    std::vector<double> latencies;
    for (int i = 0; i < samples; ++i) {
        if (m->playerState != QsWaiting)
            m->LoadSelectedSong();
        QTest::keyClick(m, Qt::Key_Return);
        if (!runUntil([&] { return m->playerState == StandbyDone; }, 5'000))
            break;
        rig.output->take();
        const std::int64_t pressed = rig.output->nowUs();
        QTest::keyClick(m, Qt::Key_Return);
        std::int64_t first = -1;
        runUntil([&] {
            for (const auto &msg : rig.output->messages())
                if (msg.sentUs >= pressed) {
                    first = msg.sentUs;
                    return true;
                }
            return false;
        }, 2'000);
        if (first >= 0)
            latencies.push_back(double(first - pressed));
        QTest::keyClick(m, Qt::Key_Escape);
        runUntil([&] { return !m->playing; }, 2'000);
    }
    std::printf("qs_samples%s=%zu\n", suffix, latencies.size());
    std::printf("qs_start_latency_us_p50%s=%.0f\n", suffix, percentile(latencies, 0.5));
    std::printf("qs_start_latency_us_p99%s=%.0f\n", suffix, percentile(latencies, 0.99));
    std::printf("qs_start_latency_us_max%s=%.0f\n", suffix,
                latencies.empty() ? 0.0 : *std::max_element(latencies.begin(), latencies.end()));
}

void lyricsPages(bool fromSong)
{
    constexpr int pages = 256;
    const char *suffix = fromSong ? "_song" : "";
    test::EngineShow rig(engine::Driver::Mode::Manual);
    const QString song = rig.app.path(QStringLiteral("lyrics.mid"));
    if (fromSong) {
        // The same pages as lyric events, each a beat before it is sung.
        smf::SmfWriter w(1, 480);
        smf::Track &notes = w.addTrack();
        notes.bpm(120).programChange(0, 0);
        for (int beat = 0; beat <= pages; ++beat)
            notes.note(0, 60, 100, 480);
        smf::Track &words = w.addTrack();
        for (int i = 0; i < pages; ++i)
            words.at(480 * (i + 1))
                .lyric(QStringLiteral("%1 番目の歌詞\r").arg(i + 1).toStdString())
                .lyric(QStringLiteral("ラララ\n").toStdString());
        w.writeFile(song.toStdString());
    } else {
        test::writeQuarterNotes(song, 60, pages, 120); // a page a beat: four steps, ten ticks
        QString card;
        for (int i = 0; i < pages; ++i)
            card += QStringLiteral("%1\r\n%2 番目の歌詞\r\nラララ\r\n").arg(i * 4 + 1).arg(i + 1);
        rig.app.makeFile(QStringLiteral("lyrics.txt"), card.toUtf8());
    }
    rig.app.writeSettings(fromSong ? QStringLiteral("[Words]\r\nSet=1\r\nNextLine=1\r\n")
                                   : QStringLiteral("[Words]\r\nSet=1\r\n"));
    TfrmMain *m = rig.open({QStringLiteral("0 ") + song});
    m->ButtonPlayClick();
    QLabel *label = m->frmWrd->lblWrd;

    std::vector<double> changes;
    QElapsedTimer t;
    for (int i = 0; i < pages * 10 + 20 && m->playing; ++i) {
        rig.output->advanceBy(50'000);
        QCoreApplication::processEvents();
        const QString before = label->text();
        t.start();
        m->PlayTimerTimer();
        const qint64 ns = t.nsecsElapsed();
        // The tick that ends the song reloads it: that is no page change.
        if (m->playing && label->text() != before)
            changes.push_back(double(ns) / 1000.0);
    }
    std::printf("lyrics_page_changes%s=%zu\n", suffix, changes.size());
    std::printf("lyrics_page_change_us_p50%s=%.1f\n", suffix, percentile(changes, 0.5));
    std::printf("lyrics_page_change_us_max%s=%.1f\n", suffix,
                changes.empty() ? 0.0 : *std::max_element(changes.begin(), changes.end()));

    // Parked in the middle of the card, where the scan goes furthest before
    // it finds the page.
    m->ButtonStopClick();
    m->trackBar->setPosition(pages * 2 + 1);
    constexpr int calls = 1'000'000;
    allocations = 0;
    countAllocations = true;
    t.start();
    for (int i = 0; i < calls; ++i)
        m->UpdateLyricsPage();
    const qint64 ns = t.nsecsElapsed();
    countAllocations = false;
    std::printf("lyrics_tick_idle_ns%s=%.1f\n", suffix, double(ns) / calls);
    std::printf("lyrics_tick_idle_allocs%s=%ld\n", suffix, allocations.load());
}

void songLyricsExtraction(bool shiftJis)
{
    const char *suffix = shiftJis ? "_sjis" : "";
    QStringEncoder sjis("Shift_JIS");
    // Sixteen tracks of notes and a track of 5,000 lyric events, about 1 MiB.
    smf::SmfWriter w(1, 480);
    w.setRunningStatus(true);
    for (int t = 0; t < 16; ++t) {
        smf::Track &track = w.addTrack();
        for (int i = 0; i < 5200; ++i)
            track.note(t, 40 + i % 40, 64 + i % 60, 60).controlChange(t, 11, i % 128).delta(60);
    }
    smf::Track &words = w.addTrack();
    for (int i = 0; i < 5000; ++i) {
        const QString text = QStringLiteral("夜空の歌%1%2").arg(i).arg(QChar(i % 4 == 3 ? u'\n' : u'\r'));
        words.at(240 * i).lyric(shiftJis ? QByteArray(sjis(text)).toStdString() : text.toStdString());
    }
    const std::vector<std::uint8_t> bytes = w.bytes();
    const engine::Song song = engine::parseMidiFile(bytes);
    std::vector<double> runs;
    std::size_t pages = 0;
    for (int run = 0; run < 20; ++run) {
        QElapsedTimer t;
        t.start();
        const lyrics::LyricsCard card = lyrics::cardFromSong(song);
        runs.push_back(double(t.nsecsElapsed()) / 1e6);
        pages = std::size_t(card.pages.size());
        if (std::getenv("KAZOON_BENCH_DETAIL"))
            std::printf("song lyrics run %d: %.2f ms\n", run, runs.back());
    }
    std::printf("song_lyrics_file_bytes%s=%zu\n", suffix, bytes.size());
    std::printf("song_lyrics_events%s=%zu\n", suffix, song.texts.size());
    std::printf("song_lyrics_pages%s=%zu\n", suffix, pages);
    std::printf("song_lyrics_extract_ms_min%s=%.2f\n", suffix, *std::min_element(runs.begin(), runs.end()));
    std::printf("song_lyrics_extract_ms_p50%s=%.2f\n", suffix, percentile(runs, 0.5));
    std::printf("song_lyrics_extract_ms_max%s=%.2f\n", suffix, *std::max_element(runs.begin(), runs.end()));
}

void hugeLyricsPage()
{
    test::EngineShow rig(engine::Driver::Mode::Manual);
    const QString song = rig.app.path(QStringLiteral("huge.mid"));
    test::writeQuarterNotes(song, 60, 8, 120);
    rig.app.writeSettings(QStringLiteral("[Words]\r\nSet=1\r\nInd_Option=1\r\n"));
    TfrmMain *m = rig.open({QStringLiteral("0 ") + song});
    QElapsedTimer t;
    // The command, then the window's own layout and paint.
    const auto timed = [&](auto command) {
        t.start();
        command();
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        m->frmWrd->lblWrd->repaint();
        return double(t.nsecsElapsed()) / 1e6;
    };
    QString lines = QStringLiteral("0\r\n");
    for (int i = 0; i < 100'000; ++i)
        lines += QStringLiteral("ab%1\r\n").arg(i % 100);
    rig.app.makeFile(QStringLiteral("huge.txt"), lines.toUtf8());
    std::printf("lyrics_huge_page_load_ms=%.1f\n", timed([&] { m->LoadSelectedSong(); }));
    std::printf("lyrics_huge_page_f5_ms=%.1f\n", timed([&] { m->mnuWrdEditItemClick(); }));
    rig.app.makeFile(QStringLiteral("huge.txt"),
                     (QStringLiteral("0\r\n") + QString(300'000, QChar(0x30E9))).toUtf8());
    std::printf("lyrics_long_line_load_ms=%.1f\n", timed([&] { m->LoadSelectedSong(); }));
}

void lessonWrap()
{
    constexpr int wraps = 20;
    constexpr int firstKey = 40;
    test::EngineShow rig(engine::Driver::Mode::RealTime);
    // Sixteen quarter notes at 480 bpm, each its own key; the passage is the
    // second bar (steps 16 to 32, half a second), so each pass begins with
    // key firstKey + 4 exactly at the start flag.
    const QString song = rig.app.path(QStringLiteral("lesson.mid"));
    smf::SmfWriter writer(0, 480);
    smf::Track &t = writer.addTrack();
    t.bpm(480).programChange(0, 0);
    for (int beat = 0; beat < 16; ++beat)
        t.note(0, firstKey + beat, 100, 480);
    writer.writeFile(song.toStdString());
    constexpr std::int64_t passageUs = 500'000;
    const int startKey = firstKey + 4;

    rig.app.writeSettings(QStringLiteral("[Lesson]\r\nSet=1\r\n"));
    TfrmMain *m = rig.open({QStringLiteral("0 ") + song});
    m->mnuLsnItemClick();
    m->trackBar->setPosition(16);
    m->ButtonSflgClick();
    m->trackBar->setPosition(32);
    m->ButtonEflgClick();
    m->ButtonPrevClick();
    rig.output->take();
    m->ButtonPlayClick();
    const auto passes = [&] {
        int n = 0;
        for (const auto &msg : rig.output->messages())
            n += isNoteOn(msg) && msg.bytes[1] == startKey;
        return n;
    };
    // Only the clock is watched while the passages play: a look at the
    // recording would hold up the output it measures.
    QElapsedTimer playTime;
    playTime.start();
    runUntil([&] { return playTime.elapsed() > (wraps + 2) * passageUs / 1000; }, 60'000);
    const bool done = passes() > wraps;
    m->ButtonStopClick();
    if (!done) {
        std::printf("lesson_wrap_ms=failed\n");
        return;
    }
    std::vector<const engine::RecordingOutput::Message *> starts;
    const auto messages = rig.output->messages();
    for (const auto &msg : messages)
        if (isNoteOn(msg) && msg.bytes[1] == startKey)
            starts.push_back(&msg);
    std::vector<double> gaps;
    for (std::size_t i = 0; i + 1 < starts.size() && gaps.size() < std::size_t(wraps); ++i) {
        // A pass starts its clock with its first event; its end flag falls a passage later.
        const std::int64_t endFlagUs = starts[i]->dueUs + passageUs;
        gaps.push_back(double(starts[i + 1]->sentUs - endFlagUs) / 1000.0);
        if (std::getenv("KAZOON_BENCH_DETAIL"))
            for (const auto &msg : messages)
                if (msg.sentUs >= endFlagUs && msg.bytes.size() == 3 && msg.bytes[0] == 0xB0 && msg.bytes[1] == 66) {
                    std::printf("wrap %zu: end seen %+lld us, restart %lld us later\n", i,
                                (long long)(msg.sentUs - endFlagUs), (long long)(starts[i + 1]->sentUs - msg.sentUs));
                    break;
                }
    }
    std::printf("lesson_wraps=%zu\n", gaps.size());
    std::printf("lesson_wrap_ms_p50=%.2f\n", percentile(gaps, 0.5));
    std::printf("lesson_wrap_ms_max=%.2f\n", gaps.empty() ? 0.0 : *std::max_element(gaps.begin(), gaps.end()));
}

void remoteStartLatency()
{
    constexpr int samples = 100;
    test::EngineShow rig(engine::Driver::Mode::RealTime);
    const QString song = rig.app.path(QStringLiteral("qs.mid"));
    test::writeQuarterNotes(song, 60, 4, 960);
    rig.app.writeSettings(QStringLiteral("[QS_Mode]\r\nSet=1\r\n[Remote]\r\nPlay=note:0:60\r\n"));
    TfrmMain *m = rig.open({QStringLiteral("0 ") + song});
    const QByteArray noteOn("\x90\x3C\x64", 3);
    std::vector<double> latencies;
    for (int i = 0; i < samples; ++i) {
        if (m->playerState != QsWaiting)
            m->LoadSelectedSong();
        QTest::keyClick(m, Qt::Key_Return);
        if (!runUntil([&] { return m->playerState == StandbyDone; }, 5'000))
            break;
        rig.output->take();
        std::atomic<std::int64_t> pressed{0};
        std::thread input([&] {
            pressed = rig.output->nowUs();
            rig.app.remote.inject(noteOn);
        });
        input.join();
        std::int64_t first = -1;
        runUntil([&] {
            for (const auto &msg : rig.output->messages())
                if (msg.sentUs >= pressed) {
                    first = msg.sentUs;
                    return true;
                }
            return false;
        }, 2'000);
        if (first >= 0)
            latencies.push_back(double(first - pressed));
        QTest::keyClick(m, Qt::Key_Escape);
        runUntil([&] { return !m->playing; }, 2'000);
    }
    std::printf("remote_samples=%zu\n", latencies.size());
    std::printf("remote_start_latency_us_p50=%.0f\n", percentile(latencies, 0.5));
    std::printf("remote_start_latency_us_p99=%.0f\n", percentile(latencies, 0.99));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Figures named on the command line (medley, qs, remote, lyrics,
    // song_lyrics, huge_lyrics, lesson, bandview), or all of them.
    const QStringList only = app.arguments().mid(1);
    bandClients = qEnvironmentVariableIntValue("KAZOON_BENCH_BAND_CLIENTS");
    if (bandClients > 0)
        std::printf("band_clients=%d\n", bandClients);
    const auto wanted = [&](const char *name) { return only.isEmpty() || only.contains(QLatin1String(name)); };
    if (wanted("medley")) {
        medleyGap(Variant::Plain);
        medleyGap(Variant::Adjusted);
        medleyGap(Variant::Click);
    }
    if (wanted("qs")) {
        qsStartLatency(Variant::Plain);
        qsStartLatency(Variant::Adjusted);
        qsStartLatency(Variant::Click);
    }
    if (wanted("remote"))
        remoteStartLatency();
    if (wanted("lyrics")) {
        lyricsPages(false);
        lyricsPages(true);
    }
    if (wanted("song_lyrics")) {
        songLyricsExtraction(false);
        songLyricsExtraction(true);
    }
    if (wanted("huge_lyrics"))
        hugeLyricsPage();
    if (wanted("lesson"))
        lessonWrap();
    if (wanted("bandview"))
        bench::bandUpdateLatency(10);
    return 0;
}
