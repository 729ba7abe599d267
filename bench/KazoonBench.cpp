// Figures of the MIDI engine, one name=value line each, on songs made here.
// The FluidSynth figure plays the same song through the library's own file
// player, whose sample clock we drive by rendering 64-frame blocks in real
// time as an audio driver would.

#include "Figures.h"
#include "smf/SmfWriter.h"
#include "player/engine/FluidSynthOutput.h"
#include "player/engine/MidiFile.h"
#include "player/engine/MidiSequencer.h"
#include "player/engine/RecordingOutput.h"

#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

using namespace kazoon;
using namespace kazoon::engine;
using Clock = std::chrono::steady_clock;

namespace {

std::int64_t nowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string tempPath(const char *name) { return "/tmp/kazoon-bench-" + std::to_string(::getpid()) + "-" + name; }

using bench::percentile;
using bench::print;

// 16 tracks of notes until the file reaches about 1 MiB.
std::string bigFile()
{
    smf::SmfWriter w(1, 480);
    w.setRunningStatus(true);
    for (int t = 0; t < 16; ++t) {
        auto &track = w.addTrack();
        for (int i = 0; i < 5500; ++i)
            track.note(t, 40 + i % 40, 64 + i % 60, 60).controlChange(t, 11, i % 128).delta(60);
    }
    const std::string path = tempPath("big.mid");
    w.writeFile(path);
    return path;
}

// Every channel busy: a note each sixteenth (channels offset in time so that
// events spread), expression each eighth, bend on four channels each 32nd.
std::string denseSong(int seconds, const char *name)
{
    const int ppqn = 480;
    const int sixteenths = seconds * 8; // 120 bpm
    smf::SmfWriter w(1, ppqn);
    w.addTrack().tempo(500000);
    for (int ch = 0; ch < 16; ++ch) {
        auto &t = w.addTrack();
        t.controlChange(ch, 0, ch % 3).programChange(ch, ch * 7 % 128).at(static_cast<std::int64_t>(ch) * 7);
        for (int i = 0; i < sixteenths; ++i) {
            const std::int64_t start = static_cast<std::int64_t>(i) * 120 + ch * 7;
            t.at(start).noteOn(ch, 36 + (i + ch) % 48, 90);
            if (i % 2 == 0)
                t.controlChange(ch, 11, (i / 2) % 128);
            if (ch < 4)
                t.at(start + 30).pitchBend(ch, 8192 + (i % 64) * 16);
            t.at(start + 100).noteOff(ch, 36 + (i + ch) % 48);
        }
    }
    const std::string path = tempPath(name);
    w.writeFile(path);
    return path;
}

MidiSequencer::Poster ignorePosts()
{
    return [](std::function<void()>) {};
}

void measureLoad()
{
    const std::string path = bigFile();
    MidiSequencer seq(std::make_unique<RecordingOutput>(), ignorePosts());
    std::vector<std::int64_t> times;
    for (int i = 0; i < 7; ++i) {
        const std::int64_t start = nowUs();
        seq.Open(path);
        times.push_back(nowUs() - start);
    }
    print("load_ms", percentile(times, 0.5) / 1000.0);
    std::remove(path.c_str());
}

// With `adjusted`, the song has its own key, tempo and level (+2, 110 %, 80 %).
void measureSeek(bool adjusted)
{
    const std::string path = denseSong(600, "ten-minutes.mid");
    auto output = std::make_unique<RecordingOutput>();
    RecordingOutput &recording = *output;
    MidiSequencer seq(std::move(output), ignorePosts());
    seq.Open(path);
    if (adjusted)
        seq.SetAdjust({2, 110, 80});
    std::vector<std::int64_t> times;
    for (int i = 0; i < 9; ++i) {
        const std::int64_t start = nowUs();
        seq.Seek(seq.Length() / 2 + i); // the hand-driven output sends the chase at once
        seq.Play();
        times.push_back(nowUs() - start);
        seq.Stop();
        recording.take();
    }
    print(adjusted ? "seek_chase_us_adjusted" : "seek_chase_us", percentile(times, 0.5));
    std::remove(path.c_str());
}

void measureStartLatency(const std::string &song)
{
    auto output = std::make_unique<RecordingOutput>(Driver::Mode::RealTime);
    RecordingOutput &recording = *output;
    MidiSequencer seq(std::move(output), ignorePosts());
    seq.Open(song);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::vector<std::int64_t> latencies;
    for (int i = 0; i < 20; ++i) {
        recording.take();
        const std::int64_t start = nowUs();
        seq.Play();
        std::vector<RecordingOutput::Message> sent;
        while ((sent = recording.messages()).empty() && nowUs() - start < 1'000'000)
            std::this_thread::yield();
        if (!sent.empty())
            latencies.push_back(sent.front().sentUs - start);
        seq.Stop();
        seq.SeekToStart();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    print("start_latency_us", percentile(latencies, 0.5));
    print("start_latency_max_us", percentile(latencies, 1.0));
}

void measureJitter(const std::string &song)
{
    auto output = std::make_unique<RecordingOutput>(Driver::Mode::RealTime);
    RecordingOutput &recording = *output;
    MidiSequencer seq(std::move(output), ignorePosts());
    seq.Open(song);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    recording.take();
    recording.reserve(200000);
    const double cpuStart = cpuSeconds();
    const std::int64_t wallStart = nowUs();
    seq.Play();
    while (seq.Mode() == DeviceMode::Playing)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double wall = static_cast<double>(nowUs() - wallStart) * 1e-6;
    print("cpu_pct", 100.0 * (cpuSeconds() - cpuStart) / wall);

    std::vector<std::int64_t> lateness;
    for (const auto &m : recording.messages())
        if ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0)
            lateness.push_back(std::max<std::int64_t>(m.sentUs - m.dueUs, 0));
    print("jitter_p50_us", percentile(lateness, 0.5));
    print("jitter_p99_us", percentile(lateness, 0.99));
    print("jitter_max_us", percentile(lateness, 1.0));
    print("jitter_events", static_cast<double>(lateness.size()));
    print("rt_priority", recording.driver().realTimePriority() ? 1 : 0);
}

// The click through the real-time driver: a count-in of two bars and the
// click over every beat of the dense song, mixed into its output as notes.
//   jitter_p99_us_click: the song's own jitter with the click on;
//   click_offset_us_p99 / _max: each click as sent against its beat on the
//       tempo map, counted from where the song's top fell (a minute of song);
//   click_due_offset_us_max: the time the engine meant each click for against
//       that beat (the scheduling itself, without the driver's wake-up);
//   count_to_song_us_max: over 10 starts, how far the last count click to the
//       song's first note is from one beat.
// The dense song plays wood blocks on the drum channel too, at velocity 90:
// the click at full level is told apart by its velocities.
bool isClick(const RecordingOutput::Message &m)
{
    return m.bytes[0] == 0x99 && (m.bytes[2] == 127 || m.bytes[2] == 95)
           && (m.bytes[1] == kClickNote || m.bytes[1] == kAccentNote);
}

void measureClick(const std::string &song)
{
    constexpr std::int64_t kBeatUs = 500'000; // the dense song's 120 per minute
    auto output = std::make_unique<RecordingOutput>(Driver::Mode::RealTime);
    RecordingOutput &recording = *output;
    MidiSequencer seq(std::move(output), ignorePosts());
    ClickSettings click;
    click.route = ClickSettings::Route::Mix;
    click.level = ClickSettings::kMaxLevel;
    seq.SetClick(click);
    seq.Open(song);
    seq.SetClickDuringSong(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    recording.take();
    recording.reserve(200000);
    seq.SetCountInNext(2);
    seq.Play();
    while (seq.Mode() == DeviceMode::Playing)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto messages = recording.messages();
    std::vector<std::int64_t> lateness, offsets, dueOffsets;
    std::int64_t top = -1; // the clock time of the song's tick 0: its first note's due time
    for (const auto &m : messages)
        if (!isClick(m) && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0) {
            if (top < 0)
                top = m.dueUs;
            lateness.push_back(std::max<std::int64_t>(m.sentUs - m.dueUs, 0));
        }
    std::int64_t k = -8; // two bars of count before the top
    for (const auto &m : messages)
        if (isClick(m)) {
            const std::int64_t beat = top + k++ * kBeatUs;
            offsets.push_back(std::abs(m.sentUs - beat));
            dueOffsets.push_back(std::abs(m.dueUs - beat));
        }
    print("jitter_p99_us_click", percentile(lateness, 0.99));
    print("click_offset_us_p99", percentile(offsets, 0.99));
    print("click_offset_us_max", percentile(offsets, 1.0));
    print("click_due_offset_us_max", percentile(dueOffsets, 1.0));
    print("clicks", static_cast<double>(offsets.size()));

    seq.SetClickDuringSong(false);
    std::vector<std::int64_t> countToSong;
    for (int i = 0; i < 10; ++i) {
        seq.Stop();
        seq.SeekToStart();
        recording.take();
        seq.SetCountInNext(1);
        seq.Play();
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        std::int64_t lastClick = -1, firstNote = -1;
        for (const auto &m : recording.messages()) {
            if (isClick(m))
                lastClick = m.sentUs;
            else if (firstNote < 0 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0)
                firstNote = m.sentUs;
        }
        if (lastClick >= 0 && firstNote >= 0)
            countToSong.push_back(std::abs(firstNote - lastClick - kBeatUs));
    }
    seq.Stop();
    print("count_to_song_us_max", percentile(countToSong, 1.0));
}

struct FluidRun {
    std::map<int, std::vector<std::int64_t>> noteOnTimes; // per channel, in order
};

int onFluidEvent(void *data, fluid_midi_event_t *event)
{
    if (fluid_midi_event_get_type(event) == 0x90 && fluid_midi_event_get_velocity(event) != 0)
        static_cast<FluidRun *>(data)->noteOnTimes[fluid_midi_event_get_channel(event)].push_back(nowUs());
    return FLUID_OK;
}

void measureFluidJitter(const std::string &song)
{
    const Song parsed = loadMidiFile(song);
    std::map<int, std::vector<std::int64_t>> ideal;
    for (const SongEvent &e : parsed.events) {
        const auto m = parsed.message(e);
        if ((m[0] & 0xF0) == 0x90 && m[2] != 0)
            ideal[m[0] & 0x0F].push_back(parsed.tempo.tickToUs(e.tick));
    }

    fluid_settings_t *settings = new_fluid_settings();
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_synth_t *synth = new_fluid_synth(settings);
    fluid_player_t *player = new_fluid_player(synth);
    FluidRun run;
    fluid_player_set_playback_callback(player, onFluidEvent, &run);
    fluid_player_add(player, song.c_str());
    double rate = 44100;
    fluid_settings_getnum(settings, "synth.sample-rate", &rate);
    fluid_player_play(player);
    std::vector<float> left(64), right(64);
    const std::int64_t start = nowUs();
    for (std::int64_t block = 0; fluid_player_get_status(player) == FLUID_PLAYER_PLAYING; ++block) {
        const auto due = start + static_cast<std::int64_t>(static_cast<double>(block) * 64 * 1e6 / rate);
        std::this_thread::sleep_until(Clock::time_point(std::chrono::microseconds(due)));
        fluid_synth_write_float(synth, 64, left.data(), 0, 1, right.data(), 0, 1);
    }
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);

    // The library's start is not visible: its earliest event sets the origin.
    std::vector<std::int64_t> offsets;
    for (auto &[channel, times] : run.noteOnTimes)
        for (std::size_t i = 0; i < times.size() && i < ideal[channel].size(); ++i)
            offsets.push_back(times[i] - ideal[channel][i]);
    const std::int64_t origin = offsets.empty() ? 0 : *std::min_element(offsets.begin(), offsets.end());
    for (auto &o : offsets)
        o -= origin;
    print("fluid_jitter_p99_us", percentile(offsets, 0.99));
    print("fluid_jitter_max_us", percentile(offsets, 1.0));
}

// The synthesizer's cost at the busiest moment of the songs: the second with
// the most note-ons is rendered (from the song's top, so that every voice
// still ringing is there) in periods of the default audio buffer, and each
// period's render time is held against the period's length in real time.
void measureSynthRender(const std::vector<std::string> &songs)
{
    std::string busiestSong;
    std::int64_t busiestFromUs = 0;
    std::size_t busiestCount = 0;
    for (const std::string &path : songs) {
        const Song song = loadMidiFile(path);
        std::vector<std::int64_t> onsets;
        for (const SongEvent &e : song.events) {
            const auto m = song.message(e);
            if ((m[0] & 0xF0) == 0x90 && m.size() >= 3 && m[2] != 0)
                onsets.push_back(song.tempo.tickToUs(e.tick));
        }
        for (std::size_t i = 0, j = 0; i < onsets.size(); ++i) {
            while (j < onsets.size() && onsets[j] < onsets[i] + 1'000'000)
                ++j;
            if (j - i > busiestCount) {
                busiestCount = j - i;
                busiestSong = path;
                busiestFromUs = onsets[i];
            }
        }
    }
    if (busiestSong.empty())
        return;

    auto output = std::make_unique<FluidSynthOutput>(FluidSynthOptions{"", {}, false});
    if (output->error() != 0) {
        std::fprintf(stderr, "synth: %s\n", output->errorText().c_str());
        return;
    }
    FluidSynthOutput &synth = *output;
    MidiSequencer seq(std::move(output), ignorePosts());
    seq.Open(busiestSong);
    seq.Play();
    const int period = synth.audioPeriodSize();
    const double budgetUs = 1e6 * period / synth.sampleRate();
    std::vector<float> left(static_cast<std::size_t>(period)), right(static_cast<std::size_t>(period));
    std::vector<std::int64_t> times;
    while (synth.nowUs() < busiestFromUs + 1'000'000) {
        const bool timed = synth.nowUs() >= busiestFromUs;
        const std::int64_t start = nowUs();
        synth.render(period, left.data(), right.data());
        if (timed)
            times.push_back(nowUs() - start);
    }
    print("synth_busiest_second_note_ons", static_cast<double>(busiestCount));
    print("synth_render_us_p99", percentile(times, 0.99));
    print("synth_render_us_max", percentile(times, 1.0));
    print("synth_render_budget_us", budgetUs);
    print("synth_buffer_latency_ms",
          audioLatencyMs(synth.audioPeriods(), synth.audioPeriodSize(), synth.sampleRate()));
}

} // namespace

// The machine's own floor: how late a real-time thread wakes from an absolute
// sleep, with no engine at all. Jitter figures cannot be better than this.
void measurePlatformWake()
{
    std::thread probe([] {
        sched_param param{};
        param.sched_priority = sched_get_priority_max(SCHED_FIFO) - 1;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        std::vector<std::int64_t> lateness;
        timespec due{};
        clock_gettime(CLOCK_MONOTONIC, &due);
        for (int i = 0; i < 10000; ++i) { // 20 s, as long as the song played above
            due.tv_nsec += 2'000'000;
            if (due.tv_nsec >= 1'000'000'000) {
                due.tv_nsec -= 1'000'000'000;
                ++due.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            lateness.push_back(((now.tv_sec - due.tv_sec) * 1'000'000'000LL + (now.tv_nsec - due.tv_nsec)) / 1000);
        }
        print("platform_wake_p99_us", percentile(lateness, 0.99));
        print("platform_wake_max_us", percentile(lateness, 1.0));
    });
    probe.join();
}

void measureSetup(const std::string &song); // SetupBench.cpp

// Arguments: MIDI files (the demo songs) for the synthesizer's figures; the
// engine's own dense song stands in without them. "--setup": the instrument
// set-up's figures alone.
int main(int argc, char **argv)
{
    if (argc > 1 && std::string(argv[1]) == "--setup") {
        const std::string song = denseSong(2, "setup.mid");
        measureSetup(song);
        std::remove(song.c_str());
        return 0;
    }
    measureLoad();
    measureSeek(false);
    measureSeek(true);
    const std::string song = denseSong(20, "twenty-seconds.mid");
    measureStartLatency(song);
    measureJitter(song);
    const std::string minute = denseSong(60, "one-minute.mid");
    measureClick(minute);
    std::remove(minute.c_str());
    measureFluidJitter(song);
    measurePlatformWake();
    std::vector<std::string> songs(argv + 1, argv + argc);
    if (songs.empty())
        songs.push_back(song);
    measureSynthRender(songs);
    measureSetup(song);
    std::remove(song.c_str());
    return 0;
}
