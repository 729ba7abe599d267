// The MIDI clock's timing through the real-time driver, one name=value line
// each: how late each clock leaves against the time the tempo map gives it,
// beside the song's own note-ons in the same play.
//   kazoon_bench_clock [seconds]   (default 60)

#include "../Figures.h"
#include "smf/SmfWriter.h"
#include "player/engine/MidiClock.h"
#include "player/engine/MidiFile.h"
#include "player/engine/MidiSequencer.h"
#include "player/engine/RecordingOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace kazoon;
using namespace kazoon::engine;

namespace {

std::int64_t monotonicUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

using bench::percentile;
using bench::print;

// A port stand-in that notes when each message was meant to leave and when it did.
struct TimedSink final : MidiSink {
    struct Sent {
        std::uint8_t status;
        std::int64_t dueUs, sentUs;
    };
    std::mutex mutex;
    std::vector<Sent> sent;
    bool send(std::span<const std::uint8_t> m, std::int64_t timeUs) override
    {
        const std::int64_t now = monotonicUs();
        std::lock_guard lock(mutex);
        sent.push_back({m[0], timeUs, now});
        return true;
    }
};

// Every channel busy (a note each sixteenth, expression each eighth) at 120,
// 140 and 90 in turn, a third of the song each.
std::string busySong(int seconds, const std::string &path)
{
    const int ppqn = 480;
    const int quarters = seconds * 2;
    smf::SmfWriter w(1, ppqn);
    auto &tempo = w.addTrack();
    tempo.timeSignature(4, 2).bpm(120);
    tempo.at(std::int64_t(quarters / 3) * ppqn).bpm(140);
    tempo.at(std::int64_t(2 * quarters / 3) * ppqn).bpm(90);
    for (int ch = 0; ch < 16; ++ch) {
        auto &t = w.addTrack();
        t.programChange(ch, ch * 7 % 128);
        for (int i = 0; i < quarters * 4; ++i) {
            const std::int64_t start = std::int64_t(i) * 120 + ch * 7;
            t.at(start).noteOn(ch, 36 + (i + ch) % 48, 90);
            if (i % 2 == 0)
                t.controlChange(ch, 11, (i / 2) % 128);
            t.at(start + 100).noteOff(ch, 36 + (i + ch) % 48);
        }
    }
    w.writeFile(path);
    return path;
}

} // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? std::max(std::atoi(argv[1]), 5) : 60;
    const std::string path = busySong(seconds, "/tmp/kazoon-bench-clock-" + std::to_string(::getpid()) + ".mid");
    const Song song = loadMidiFile(path);

    auto output = std::make_unique<RecordingOutput>(Driver::Mode::RealTime);
    RecordingOutput &recording = *output;
    MidiSequencer seq(std::move(output), [](std::function<void()>) {});
    TimedSink port;
    seq.setMidiClockSink(&port);
    seq.Open(path);
    ClickSettings click;
    click.route = ClickSettings::Route::Mix;
    seq.SetClick(click);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    recording.take();
    recording.reserve(400000);
    seq.SetCountInNext(1); // the count's clocks are measured too
    seq.Play();
    while (seq.Mode() == DeviceMode::Playing)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    seq.setMidiClockSink(nullptr);

    std::vector<std::int64_t> clockLate, songLate;
    std::vector<std::int64_t> dues;
    std::int64_t startDue = -1;
    for (const auto &s : port.sent) {
        if (s.status == kClockStart)
            startDue = s.dueUs;
        if (s.status != kTimingClock)
            continue;
        clockLate.push_back(std::max<std::int64_t>(s.sentUs - s.dueUs, 0));
        if (startDue >= 0)
            dues.push_back(s.dueUs);
    }
    for (const auto &m : recording.messages())
        if ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0)
            songLate.push_back(std::max<std::int64_t>(m.sentUs - m.dueUs, 0));

    // The song's clocks against the tempo map, worked out apart from the engine.
    int mismatches = 0;
    for (std::size_t n = 0; n < dues.size(); ++n) {
        const std::int64_t tick = std::int64_t(n) * song.ppqn / kClocksPerQuarter;
        if (std::abs(dues[n] - startDue - song.tempo.tickToUs(tick)) > 1)
            ++mismatches;
    }
    print("clock_jitter_p50_us", percentile(clockLate, 0.5));
    print("clock_jitter_p99_us", percentile(clockLate, 0.99));
    print("clock_jitter_max_us", percentile(clockLate, 1.0));
    print("clock_ticks", static_cast<double>(clockLate.size()));
    print("clock_ticks_off_the_tempo_map", mismatches);
    print("song_jitter_p99_us", percentile(songLate, 0.99));
    print("song_jitter_max_us", percentile(songLate, 1.0));
    print("song_events", static_cast<double>(songLate.size()));
    print("rt_priority", recording.driver().realTimePriority() ? 1 : 0);
    std::remove(path.c_str());
    return 0;
}
