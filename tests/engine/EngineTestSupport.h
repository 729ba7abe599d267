#pragma once

#include "smf/SmfWriter.h"
#include "player/engine/MidiSequencer.h"
#include "player/engine/RecordingOutput.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace kazoon::engine::test {

using Messages = std::vector<RecordingOutput::Message>;

// Stands in for the UI thread's queue of posted calls.
// Drivers post from their own threads, as they do into the real event loop.
struct PostQueue {
    std::mutex mutex;
    std::vector<std::function<void()>> items;
    MidiSequencer::Poster poster()
    {
        return [this](std::function<void()> f) {
            std::lock_guard lock(mutex);
            items.push_back(std::move(f));
        };
    }
    void runAll()
    {
        for (;;) {
            std::vector<std::function<void()>> batch;
            {
                std::lock_guard lock(mutex);
                batch = std::exchange(items, {});
            }
            if (batch.empty())
                return;
            for (auto &f : batch)
                f();
        }
    }
};

inline std::string writeSong(const smf::SmfWriter &writer, const std::string &name)
{
    const std::string path = ::testing::TempDir() + name;
    EXPECT_TRUE(writer.writeFile(path));
    return path;
}

// A sequencer on a hand-driven recording output, counting notifications.
struct Rig {
    PostQueue queue;
    RecordingOutput *output = nullptr;
    MidiSequencer sequencer;
    int notified = 0;

    Rig() : sequencer(makeOutput(), queue.poster())
    {
        sequencer.setOnNotify([this] { ++notified; });
    }
    std::unique_ptr<Output> makeOutput()
    {
        auto out = std::make_unique<RecordingOutput>(Driver::Mode::Manual);
        output = out.get();
        return out;
    }
    void advanceMs(std::int64_t ms) { output->advanceBy(ms * 1000); }
    void deliver() { queue.runAll(); }
};

// Follows notes, sustain and bend through the output as a sound module would.
struct SoundState {
    std::array<std::array<int, 128>, 16> notes{};
    std::array<bool, 16> sustain{};
    std::array<bool, 16> sostenuto{}; // holds its notes through note-offs and all notes off
    std::array<int, 16> bend{};

    SoundState() { bend.fill(8192); }
    void apply(const std::vector<std::uint8_t> &m)
    {
        if (m.empty() || m[0] < 0x80 || m[0] >= 0xF0)
            return;
        const int ch = m[0] & 0x0F;
        switch (m[0] & 0xF0) {
        case 0x90:
            if (m[2] != 0) {
                ++notes[ch][m[1]];
                break;
            }
            [[fallthrough]];
        case 0x80:
            if (notes[ch][m[1]] > 0)
                --notes[ch][m[1]];
            break;
        case 0xB0:
            if (m[1] == 64)
                sustain[ch] = m[2] >= 64;
            if (m[1] == 66)
                sostenuto[ch] = m[2] >= 64;
            if (m[1] == 121)
                sustain[ch] = sostenuto[ch] = false, bend[ch] = 8192;
            if (m[1] == 123 || m[1] == 120)
                notes[ch].fill(0);
            break;
        case 0xE0:
            bend[ch] = m[1] | m[2] << 7;
            break;
        }
    }
    void apply(const Messages &messages)
    {
        for (const auto &m : messages)
            apply(m.bytes);
    }
    int sounding() const
    {
        int n = 0;
        for (const auto &channel : notes)
            for (int c : channel)
                n += c;
        return n;
    }
    bool silent() const
    {
        for (int ch = 0; ch < 16; ++ch)
            if (sustain[ch] || sostenuto[ch] || bend[ch] != 8192)
                return false;
        return sounding() == 0;
    }
};

inline std::vector<std::uint8_t> bytes(std::initializer_list<int> list)
{
    std::vector<std::uint8_t> out;
    for (int b : list)
        out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

// The note-ons among the messages, as (channel << 8 | note).
inline std::vector<int> noteOns(const Messages &messages)
{
    std::vector<int> out;
    for (const auto &m : messages)
        if ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0)
            out.push_back((m.bytes[0] & 0x0F) << 8 | m.bytes[1]);
    return out;
}

} // namespace kazoon::engine::test
