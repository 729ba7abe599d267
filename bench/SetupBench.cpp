// Figures of the instruments' set-up: 16 channels (bank, program, volume,
// reverb) and a 4 KiB SysEx, through the engine to a port and to the
// synthesizer. A port's wire time is computed from the bytes at DIN speed.

#include "player/engine/FluidSynthOutput.h"
#include "player/engine/InstrumentSetup.h"
#include "player/engine/MidiSequencer.h"
#include "player/engine/RecordingOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace kazoon;
using namespace kazoon::engine;

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t clockUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

void show(const char *name, double value) { std::printf("%s=%.1f\n", name, value); }

double median(std::vector<std::int64_t> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return static_cast<double>(v[v.size() / 2]);
}

double largest(const std::vector<std::int64_t> &v) { return v.empty() ? 0 : static_cast<double>(*std::max_element(v.begin(), v.end())); }

// 31,250 baud, a start bit, eight data bits and a stop bit for each byte.
double dinMs(std::size_t bytes) { return static_cast<double>(bytes) * 10.0 / 31250.0 * 1000.0; }

std::shared_ptr<const SetupMessages> fullSetup(bool withSysex)
{
    InstrumentSetup s;
    for (int ch = 0; ch < InstrumentSetup::kChannels; ++ch)
        s.channels[std::size_t(ch)] = {0, 0, (ch * 7) % 128, {{7, 100}, {91, 40}}};
    std::vector<std::vector<std::uint8_t>> sysex;
    if (withSysex) {
        std::vector<std::uint8_t> m(4096, 0x11);
        m.front() = 0xF0;
        m[1] = 0x7D; // non-commercial: every instrument leaves it alone
        m.back() = 0xF7;
        sysex.push_back(std::move(m));
    }
    return std::make_shared<SetupMessages>(setupMessages(s, sysex));
}

bool isNoteOn(const RecordingOutput::Message &m) { return (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0; }

// Open and play at once (a medley's next song), on a port's real-time
// driver: when the set-up has been handed over, and how much later the first
// note comes than without a set-up.
void measurePort(const std::string &song)
{
    auto output = std::make_unique<RecordingOutput>(Driver::Mode::RealTime);
    RecordingOutput &recording = *output;
    MidiSequencer seq(std::move(output), [](std::function<void()>) {});
    std::vector<std::int64_t> handed, firstWith, firstWithout;
    for (int i = 0; i < 40; ++i) {
        const bool with = i % 2 == 0;
        seq.SetSetupNext(with ? fullSetup(true) : nullptr);
        recording.take();
        const std::int64_t start = clockUs();
        seq.Open(song);
        seq.Play();
        std::vector<RecordingOutput::Message> sent;
        while (clockUs() - start < 1'000'000) {
            sent = recording.messages();
            if (std::any_of(sent.begin(), sent.end(), isNoteOn))
                break;
            std::this_thread::yield();
        }
        const auto note = std::find_if(sent.begin(), sent.end(), isNoteOn);
        if (note == sent.end())
            continue;
        (with ? firstWith : firstWithout).push_back(note->sentUs - start);
        if (with) {
            const auto last = std::find_if(sent.rbegin(), sent.rend(), [](const auto &m) { return m.bytes[0] == 0xF0 || (m.bytes[0] & 0xF0) == 0xC0; });
            handed.push_back(last->sentUs - start);
        }
        seq.Close();
    }
    show("setup_port_handed_us", median(handed));
    show("setup_port_handed_max_us", largest(handed));
    show("setup_port_first_event_added_us", median(firstWith) - median(firstWithout));
}

// The synthesizer's audio callback that takes the set-up, against one that
// does not, in 64-frame blocks rendered by hand.
void measureSynth(const std::string &song)
{
    auto output = std::make_unique<FluidSynthOutput>(FluidSynthOptions{"", {}, false});
    FluidSynthOutput &synth = *output;
    if (synth.error() != 0) {
        std::printf("setup_synth_us=n/a (%s)\n", synth.errorText().c_str());
        return;
    }
    MidiSequencer seq(std::move(output), [](std::function<void()>) {});
    std::vector<float> left(64), right(64);
    auto timedBlock = [&] {
        const std::int64_t start = clockUs();
        synth.render(64, left.data(), right.data());
        return clockUs() - start;
    };
    std::vector<std::int64_t> with, without;
    for (int i = 0; i < 200; ++i) {
        const bool set = i % 2 == 0;
        seq.SetSetupNext(set ? fullSetup(true) : nullptr);
        for (int b = 0; b < 8; ++b)
            timedBlock();
        seq.Open(song);
        seq.Play(); // the first event in the same block, as a medley's next song
        (set ? with : without).push_back(timedBlock());
        seq.Close();
        timedBlock();
    }
    show("setup_synth_us", median(with) - median(without));
    show("setup_synth_block_max_us", largest(with));
    show("synth_block_without_setup_max_us", largest(without));
}

} // namespace

void measureSetup(const std::string &song)
{
    const auto all = fullSetup(true), channels = fullSetup(false);
    show("setup_bytes", static_cast<double>(all->bytes()));
    show("setup_channel_bytes", static_cast<double>(channels->bytes()));
    show("setup_din_wire_ms", dinMs(all->bytes()));
    show("setup_din_channel_wire_ms", dinMs(channels->bytes()));
    measurePort(song);
    measureSynth(song);
}
