#include "EngineTestSupport.h"

#include "DemoSongs.h"
#include "player/engine/MidiFile.h"

#include <algorithm>

namespace kazoon::engine::test {
namespace {

// Where the QS standby parks at the default offset, and one bar of 4/4.
constexpr std::int64_t kDefaultStandbyStep = 15;
constexpr std::int64_t kBarSteps = 16;

bool isNoteOn(std::span<const std::uint8_t> m)
{
    return m.size() >= 3 && (m[0] & 0xF0) == 0x90 && m[2] != 0;
}

// The demo songs open with a set-up bar: everything the channels need, and
// not a note before the standby step, so that a standby in front of the
// audience is silent.
TEST(DemoSongs, OpenWithASetUpBarThatTheStandbyRunStaysInside)
{
    for (const demo::DemoSong &demoSong : demo::demoSongs()) {
        SCOPED_TRACE(demoSong.file);
        const std::vector<std::uint8_t> file = demoSong.song.bytes();
        const Song song = parseMidiFile(file);
        std::int64_t firstNote = -1;
        int programs = 0;
        for (const SongEvent &e : song.events) {
            const auto m = song.message(e);
            if (isNoteOn(m)) {
                firstNote = e.tick;
                break;
            }
            programs += (m[0] & 0xF0) == 0xC0;
        }
        ASSERT_GE(firstNote, 0);
        EXPECT_GE(song.tempo.tickToStep(firstNote), kBarSteps) << "the music starts after the set-up bar";
        EXPECT_GT(programs, 0) << "the set-up bar chooses the sounds";
        EXPECT_GT(song.lengthSteps(), kBarSteps + 31) << "long enough for the largest standby offset";

        // The standby run on the engine: the set-up goes out, no note does;
        // the start from there plays the song.
        Rig rig;
        rig.sequencer.Open(writeSong(demoSong.song, std::string(demoSong.file) + ".mid"));
        rig.sequencer.SetNotifyNext(false);
        rig.sequencer.SetEndPosition(kDefaultStandbyStep);
        rig.sequencer.Play();
        rig.advanceMs(10'000);
        ASSERT_EQ(rig.sequencer.Position(), kDefaultStandbyStep);
        const Messages standby = rig.output->take();
        EXPECT_TRUE(noteOns(standby).empty());
        EXPECT_TRUE(std::any_of(standby.begin(), standby.end(),
                                [](const auto &m) { return (m.bytes[0] & 0xF0) == 0xC0; }));
        rig.sequencer.Resume();
        rig.advanceMs(5'000);
        EXPECT_FALSE(noteOns(rig.output->take()).empty());
    }
}

} // namespace
} // namespace kazoon::engine::test
