#include "EngineTestSupport.h"

#include "player/engine/SetupPort.h"
#include "player/engine/SysexFile.h"

#include <fstream>

namespace kazoon::engine::test {
namespace {

using smf::SmfWriter;

const std::vector<std::uint8_t> kGmOn(std::begin(kGmSystemOn), std::end(kGmSystemOn));
const std::vector<std::uint8_t> kPatch = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

// Channel 0 from the set-up: bank 8/1, program 20, volume 90, reverb 40;
// channel 3 program 33; a song number 7 on channel 15; a SysEx first.
InstrumentSetup setup()
{
    InstrumentSetup s;
    s.channels[0] = {8, 1, 20, {{7, 90}, {91, 40}}};
    s.channels[3].program = 33;
    s.songNumber = 7;
    s.songNumberChannel = 15;
    return s;
}

std::shared_ptr<const SetupMessages> setupWithPatch() { return std::make_shared<SetupMessages>(setupMessages(setup(), {kPatch})); }

// Four beats at 120 bpm: notes on channels 0 and 3, a program change of its
// own on channel 2, and from beat 2 another program on channel 0.
std::string song(const std::string &name, bool changesChannel0 = false)
{
    SmfWriter w(0, 480);
    auto &t = w.addTrack();
    t.tempo(500000).programChange(2, 50);
    t.note(0, 60, 100, 240).note(3, 40, 100, 240);
    if (changesChannel0)
        t.programChange(0, 99);
    for (int i = 0; i < 6; ++i)
        t.note(0, 62 + i, 100, 240);
    return writeSong(w, name);
}

std::size_t indexOf(const Messages &m, const std::vector<std::uint8_t> &bytes, std::size_t from = 0)
{
    for (std::size_t i = from; i < m.size(); ++i)
        if (m[i].bytes == bytes)
            return i;
    return SIZE_MAX;
}

std::size_t countOf(const Messages &m, const std::vector<std::uint8_t> &bytes)
{
    return static_cast<std::size_t>(std::count_if(m.begin(), m.end(), [&](const auto &x) { return x.bytes == bytes; }));
}

std::size_t firstNoteOn(const Messages &m)
{
    for (std::size_t i = 0; i < m.size(); ++i)
        if ((m[i].bytes[0] & 0xF0) == 0x90 && m[i].bytes[2] != 0)
            return i;
    return SIZE_MAX;
}

// The program and bank each channel holds at message i, as an instrument sees them.
struct Voice {
    int bank = 0, program = 0;
};
std::array<Voice, 16> voicesAt(const Messages &m, std::size_t end)
{
    std::array<Voice, 16> v{};
    std::array<int, 16> pendingBank{};
    for (std::size_t i = 0; i < std::min(end, m.size()); ++i) {
        const auto &b = m[i].bytes;
        const int ch = b[0] & 0x0F;
        if ((b[0] & 0xF0) == 0xB0 && b[1] == 0)
            pendingBank[ch] = b[2] << 7 | (pendingBank[ch] & 0x7F);
        if ((b[0] & 0xF0) == 0xB0 && b[1] == 32)
            pendingBank[ch] = (pendingBank[ch] & ~0x7F) | b[2];
        if ((b[0] & 0xF0) == 0xC0)
            v[ch] = {pendingBank[ch], b[1]};
    }
    return v;
}

TEST(InstrumentSetup, GoesOutAfterTheResetAndBeforeTheChaseAndTheSong)
{
    for (const bool gm : {false, true}) {
        SCOPED_TRACE(testing::Message() << "GM reset " << gm);
        Rig rig;
        rig.sequencer.setGmReset(gm);
        rig.sequencer.SetSetupNext(setupWithPatch());
        rig.sequencer.Open(song("order.mid"));
        rig.sequencer.Seek(2); // the chase brings channel 2's program back
        rig.sequencer.Play();  // at once, as a medley does
        rig.advanceMs(1000);
        const Messages sent = rig.output->take();

        const std::size_t patch = indexOf(sent, kPatch);
        const std::size_t bank = indexOf(sent, bytes({0xB0, 0, 8}));
        const std::size_t program = indexOf(sent, bytes({0xC0, 20}));
        const std::size_t reverb = indexOf(sent, bytes({0xB0, 91, 40}));
        const std::size_t number = indexOf(sent, bytes({0xCF, 7}));
        const std::size_t chase = indexOf(sent, bytes({0xC2, 50}));
        const std::size_t note = firstNoteOn(sent);
        ASSERT_NE(number, SIZE_MAX);
        ASSERT_NE(note, SIZE_MAX);
        if (gm) {
            ASSERT_EQ(indexOf(sent, kGmOn), 0u);
            EXPECT_GE(sent[patch].dueUs - sent[0].dueUs, kGmResetSettleUs) << "the module has settled";
        } else {
            // The reset of the channels comes first and leaves the set-up alone.
            EXPECT_LT(indexOf(sent, bytes({0xC0, 0})), patch);
            EXPECT_EQ(indexOf(sent, bytes({0xC0, 0}), patch), SIZE_MAX);
        }
        EXPECT_LT(patch, bank);
        EXPECT_LT(bank, indexOf(sent, bytes({0xB0, 32, 1})));
        EXPECT_LT(indexOf(sent, bytes({0xB0, 32, 1})), program);
        EXPECT_LT(program, reverb);
        EXPECT_LT(reverb, number);
        EXPECT_LT(number, chase);
        EXPECT_LT(chase, note);
        const auto voices = voicesAt(sent, note);
        EXPECT_EQ(voices[0].program, 20);
        EXPECT_EQ(voices[0].bank, 8 << 7 | 1);
        EXPECT_EQ(voices[3].program, 33);
        EXPECT_EQ(voices[2].program, 50);
    }
}

TEST(InstrumentSetup, GoesOutOncePerLoadNotAtEachStart)
{
    for (const bool songChangesIt : {false, true}) {
        SCOPED_TRACE(testing::Message() << "song changes channel 0: " << songChangesIt);
        Rig rig;
        auto &seq = rig.sequencer;
        seq.SetSetupNext(setupWithPatch());
        seq.Open(song("once.mid", songChangesIt));
        rig.advanceMs(50);
        seq.Play();
        rig.advanceMs(3000); // to the end
        seq.Play();          // from the end: nothing
        seq.SeekToStart();
        seq.Play();
        rig.advanceMs(300);
        seq.Stop();
        // A standby run, muted, up to step 4, then the start from there.
        seq.SeekToStart();
        seq.SetEndPosition(4);
        seq.SetMuteNotesNext(true);
        seq.Play();
        rig.advanceMs(1000);
        seq.Play();
        rig.advanceMs(3000);
        const Messages sent = rig.output->take();
        EXPECT_EQ(countOf(sent, kPatch), 1u);
        EXPECT_EQ(countOf(sent, bytes({0xCF, 7})), 1u);
        if (!songChangesIt) {
            EXPECT_EQ(countOf(sent, bytes({0xC0, 20})), 1u) << "the set-up's sound stays without being sent again";
        }

        // Every start from the top begins with the set-up's sound, whatever
        // the song chose on the way.
        int starts = 0;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            if (sent[i].bytes != bytes({0x90, 60, 100}))
                continue;
            ++starts;
            const auto voices = voicesAt(sent, i);
            EXPECT_EQ(voices[0].program, 20) << "start " << starts;
            EXPECT_EQ(voices[0].bank, 8 << 7 | 1) << "start " << starts;
            EXPECT_EQ(voices[3].program, 33) << "start " << starts;
        }
        EXPECT_EQ(starts, 2); // the standby run sends no note-ons
        EXPECT_EQ(voicesAt(sent, sent.size())[0].program, songChangesIt ? 99 : 20);
    }
}

TEST(InstrumentSetup, EachSongHasItsOwnAndANewOutputGetsIt)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.SetSetupNext(setupWithPatch());
    seq.Open(song("a.mid"));
    rig.advanceMs(10);
    ASSERT_EQ(countOf(rig.output->take(), kPatch), 1u) << "at the load, before any play";

    auto next = std::make_unique<RecordingOutput>(Driver::Mode::Manual);
    RecordingOutput *b = next.get();
    seq.setOutput(std::move(next));
    b->advanceBy(10'000);
    EXPECT_EQ(countOf(b->take(), kPatch), 1u);

    // The next song without one: nothing of the set-up; the channels are reset.
    seq.Open(song("b.mid"));
    seq.Play();
    b->advanceBy(500'000);
    const Messages plain = b->take();
    EXPECT_EQ(countOf(plain, kPatch), 0u);
    EXPECT_EQ(countOf(plain, bytes({0xCF, 7})), 0u);
    EXPECT_EQ(voicesAt(plain, plain.size())[0].program, 0);
}

TEST(InstrumentSetup, AChangedSetUpGoesOutAtOnceOnlyWhileTheSongIsStill)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.SetSetupNext(setupWithPatch());
    seq.Open(song("change.mid"));
    seq.Play();
    rig.advanceMs(100);
    InstrumentSetup other;
    other.channels[0].program = 70;
    seq.ReplaceSetup(std::make_shared<SetupMessages>(setupMessages(other, {})));
    rig.advanceMs(100);
    EXPECT_EQ(countOf(rig.output->take(), bytes({0xC0, 70})), 0u) << "never while the song plays";
    seq.Stop();
    seq.ReplaceSetup(std::make_shared<SetupMessages>(setupMessages(other, {})));
    rig.advanceMs(10);
    seq.SeekToStart();
    seq.Play();
    rig.advanceMs(100);
    const Messages sent = rig.output->take();
    EXPECT_EQ(countOf(sent, bytes({0xC0, 70})), 1u);
    EXPECT_EQ(voicesAt(sent, firstNoteOn(sent))[0].program, 70);
    EXPECT_EQ(voicesAt(sent, firstNoteOn(sent))[3].program, 0) << "what only the old set-up chose is reset";
}

TEST(InstrumentSetup, APortThatComesBackGetsTheSetUpBeforeThePlay)
{
    Rig rig;
    rig.output->fail(true);
    rig.sequencer.SetSetupNext(setupWithPatch());
    rig.sequencer.Open(song("back.mid"));
    rig.advanceMs(10);
    EXPECT_TRUE(rig.output->take().empty());
    rig.output->fail(false); // plugged back in
    rig.sequencer.Play();
    rig.advanceMs(100);
    const Messages sent = rig.output->take();
    EXPECT_LT(indexOf(sent, kPatch), firstNoteOn(sent));
}

TEST(InstrumentSetup, SongNumberOnAPortOfItsOwn)
{
    InstrumentSetup s;
    s.songNumber = 12;
    s.songNumberChannel = 9;
    s.songNumberPort = "Light desk";
    EXPECT_TRUE(setupMessages(s, {}).messages.empty()) << "not to the song's output";

    auto out = std::make_unique<RecordingOutput>(Driver::Mode::Manual);
    RecordingOutput *port = out.get();
    SetupPort side(std::move(out));
    EXPECT_EQ(side.send(std::make_shared<SetupMessages>(songNumberMessages(s))), "");
    port->advanceBy(1000);
    const Messages sent = port->take();
    ASSERT_EQ(sent.size(), 1u) << "no channel reset on a light desk";
    EXPECT_EQ(sent[0].bytes, bytes({0xC9, 12}));

    port->fail(true);
    EXPECT_NE(side.send(std::make_shared<SetupMessages>(songNumberMessages(s))), "");
}

TEST(InstrumentSetup, MessagesLeaveOutWhatAnInstrumentWouldMisread)
{
    InstrumentSetup s;
    s.channels[1] = {5, -1, -1, {{7, 100}, {120, 0}, {10, 128}}}; // a bank without a program does nothing
    s.channels[2] = {-1, 3, 0, {}};
    const SetupMessages m = setupMessages(s, {});
    const std::vector<std::vector<std::uint8_t>> want = {{0xB1, 7, 100}, {0xB2, 32, 3}, {0xC2, 0}};
    EXPECT_EQ(m.messages, want);
    EXPECT_EQ(m.voices, 1u << 2);
    EXPECT_EQ(setupMessages(s, {kPatch}).voices, 0xFFFF);
    EXPECT_TRUE(InstrumentSetup{}.empty());
}

std::vector<std::uint8_t> patchBytes(std::size_t total)
{
    std::vector<std::uint8_t> b{0xF0};
    while (b.size() + 1 < total)
        b.push_back(0x11);
    b.push_back(0xF7);
    return b;
}

TEST(SysexFile, TakesWholeMessagesAndRefusesAnythingElse)
{
    auto cat = [](std::initializer_list<std::vector<std::uint8_t>> parts) {
        std::vector<std::uint8_t> b;
        for (const auto &p : parts)
            b.insert(b.end(), p.begin(), p.end());
        return b;
    };
    struct Row {
        const char *name;
        std::vector<std::uint8_t> bytes;
        SysexRead::Status status;
        std::size_t messages;
    };
    const std::vector<Row> rows = {
        {"one", kPatch, SysexRead::Ok, 1},
        {"three", cat({kPatch, kGmOn, kPatch}), SysexRead::Ok, 3},
        {"largest", patchBytes(kMaxSysexFileSize), SysexRead::Ok, 1},
        {"empty", {}, SysexRead::NotSysex, 0},
        {"a MIDI file", bytes({'M', 'T', 'h', 'd', 0, 0, 0, 6}), SysexRead::NotSysex, 0},
        {"no end", bytes({0xF0, 0x41, 0x10}), SysexRead::Truncated, 0},
        {"cut by the next", cat({bytes({0xF0, 0x41}), kPatch}), SysexRead::Truncated, 0},
        {"last cut", cat({kPatch, bytes({0xF0, 0x41})}), SysexRead::Truncated, 0},
        {"a note inside", bytes({0xF0, 0x41, 0x90, 0x40, 0xF7}), SysexRead::NotSysex, 0},
        {"bytes between", cat({kPatch, bytes({0x00}), kPatch}), SysexRead::NotSysex, 0},
        {"a lone end", bytes({0xF7}), SysexRead::NotSysex, 0},
        {"too large", patchBytes(kMaxSysexFileSize + 1), SysexRead::TooLarge, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const SysexRead read = parseSysex(row.bytes);
        EXPECT_EQ(read.status, row.status);
        EXPECT_EQ(read.messages.size(), row.messages);
        if (row.status == SysexRead::Ok) {
            std::vector<std::uint8_t> joined;
            for (const auto &m : read.messages)
                joined.insert(joined.end(), m.begin(), m.end());
            EXPECT_EQ(joined, row.bytes);
        } else {
            const std::string text = sysexErrorText(row.status, "patch.syx");
            EXPECT_NE(text.find("patch.syx"), std::string::npos);
            EXPECT_NE(text.find("送りません"), std::string::npos);
        }
    }
}

TEST(SysexFile, ReadsFromDiskWithinBounds)
{
    const std::string dir = ::testing::TempDir();
    auto write = [&](const std::string &name, const std::vector<std::uint8_t> &b) {
        std::ofstream(dir + name, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), std::streamsize(b.size()));
        return dir + name;
    };
    EXPECT_EQ(readSysexFile(write("ok.syx", kPatch)).messages.size(), 1u);
    EXPECT_EQ(readSysexFile(write("huge.syx", patchBytes(kMaxSysexFileSize + 10))).status, SysexRead::TooLarge);
    EXPECT_EQ(readSysexFile(dir + "gone.syx").status, SysexRead::Missing);
    EXPECT_EQ(readSysexFile(dir).status, SysexRead::Unreadable);
    EXPECT_EQ(sysexErrorText(SysexRead::Missing, "x.syx").find("見つかりません") != std::string::npos, true);
}

} // namespace
} // namespace kazoon::engine::test
