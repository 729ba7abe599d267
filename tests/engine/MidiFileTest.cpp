#include "EngineTestSupport.h"

#include "player/engine/MidiFile.h"

#include <fstream>

namespace kazoon::engine::test {
namespace {

using smf::SmfWriter;
using smf::Track;

std::vector<std::vector<std::uint8_t>> messagesOf(const Song &song)
{
    std::vector<std::vector<std::uint8_t>> out;
    for (const SongEvent &e : song.events) {
        auto m = song.message(e);
        out.emplace_back(m.begin(), m.end());
    }
    return out;
}

TEST(MidiFile, MergesTracksStablyByTickThenTrackThenFileOrder)
{
    SmfWriter w(1, 96);
    w.addTrack().tempo(600000).at(96).controlChange(0, 7, 1).controlChange(0, 7, 2);
    w.addTrack().at(0).programChange(1, 5).at(96).controlChange(1, 7, 3);
    w.addTrack().at(48).noteOn(2, 60, 100).at(96).controlChange(2, 7, 4);
    const Song song = parseMidiFile(w.bytes());

    EXPECT_EQ(song.ppqn, 96);
    EXPECT_EQ(messagesOf(song), (std::vector<std::vector<std::uint8_t>>{
                                    bytes({0xC1, 5}), bytes({0x92, 60, 100}), bytes({0xB0, 7, 1}),
                                    bytes({0xB0, 7, 2}), bytes({0xB1, 7, 3}), bytes({0xB2, 7, 4})}));
    EXPECT_EQ(song.tempo.tickToUs(song.events[2].tick), 600000);
    EXPECT_EQ(song.endTick, 96);
}

TEST(MidiFile, ReadsRunningStatusSysExEscapesAndSkipsMeta)
{
    SmfWriter w(0, 480);
    w.setRunningStatus(true);
    w.addTrack()
        .text("カズーン")
        .sysEx({0x7E, 0x7F, 0x09, 0x01, 0xF7})
        .noteOn(3, 60, 90)
        .delta(10)
        .noteOn(3, 64, 90)
        .lyric("か")
        .noteOn(3, 67, 90) // running status survives a meta event in files in the wild
        .escape({0xF3, 0x01})
        .pitchBend(3, 0x2000 + 5);
    const Song song = parseMidiFile(w.bytes());
    EXPECT_EQ(messagesOf(song), (std::vector<std::vector<std::uint8_t>>{
                                    bytes({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}), bytes({0x93, 60, 90}),
                                    bytes({0x93, 64, 90}), bytes({0x93, 67, 90}), bytes({0xF3, 0x01}),
                                    bytes({0xE3, 5, 0x40})}));
    EXPECT_TRUE(song.events[4].escape);
    EXPECT_FALSE(song.events[0].escape);
}

std::vector<std::pair<std::int64_t, std::string>> textsOf(const Song &song, std::uint8_t type)
{
    std::vector<std::pair<std::int64_t, std::string>> out;
    for (const SongText &t : song.texts)
        if (t.type == type) {
            auto b = song.text(t);
            out.emplace_back(t.tick, std::string(b.begin(), b.end()));
        }
    return out;
}

TEST(MidiFile, KeepsTextAndLyricEventsApartInTickOrderAcrossTracks)
{
    SmfWriter w(1, 480);
    w.addTrack().text("@KMIDI KARAOKE FILE").at(960).text("/b").trackName("name").at(1920).lyric("ly");
    w.addTrack().at(480).text("\\a").noteOn(0, 60, 90).at(960).text("c").at(5000).endOfTrack().text("late");
    const Song song = parseMidiFile(w.bytes());
    using Texts = std::vector<std::pair<std::int64_t, std::string>>;
    EXPECT_EQ(textsOf(song, kTextEvent),
              (Texts{{0, "@KMIDI KARAOKE FILE"}, {480, "\\a"}, {960, "/b"}, {960, "c"}}));
    EXPECT_EQ(textsOf(song, kLyricEvent), (Texts{{1920, "ly"}}));
    EXPECT_EQ(song.texts.size(), 5u); // no track name, nothing after End of Track
    EXPECT_EQ(messagesOf(song), (std::vector<std::vector<std::uint8_t>>{bytes({0x90, 60, 90})}));
}

TEST(MidiFile, TextBeyondTheBoundsIsDropped)
{
    SmfWriter many(0, 480);
    Track &t = many.addTrack();
    for (std::size_t i = 0; i < kMaxSongTexts + 10; ++i)
        t.lyric("x");
    const Song manySong = parseMidiFile(many.bytes());
    EXPECT_EQ(manySong.texts.size(), kMaxSongTexts);

    SmfWriter big(0, 480);
    const std::string chunk(300 * 1024, 'a');
    big.addTrack().text(chunk).text(chunk).text(chunk).text(chunk).lyric("end");
    const Song bigSong = parseMidiFile(big.bytes());
    EXPECT_LE(bigSong.textData.size(), kMaxSongTextBytes);
    EXPECT_EQ(textsOf(bigSong, kTextEvent).size(), 3u);
    EXPECT_EQ(textsOf(bigSong, kLyricEvent).size(), 1u); // a small one still fits
}

TEST(MidiFile, TrackWithoutEndOfTrackEndsAtItsLastEvent)
{
    SmfWriter w(1, 480);
    w.addTrack().at(480).endOfTrack();
    w.addTrack().at(1000).noteOff(0, 60).withoutEndOfTrack();
    EXPECT_EQ(parseMidiFile(w.bytes()).endTick, 1000);
}

TEST(MidiFile, EventsAfterEndOfTrackAreIgnoredAndEndIsTheLastEndOfTrack)
{
    SmfWriter w(1, 480);
    w.addTrack().at(100).endOfTrack().at(5000).noteOn(0, 1, 1);
    w.addTrack().at(1920).endOfTrack();
    const Song song = parseMidiFile(w.bytes());
    EXPECT_TRUE(song.events.empty());
    EXPECT_EQ(song.endTick, 1920);
    EXPECT_EQ(song.lengthSteps(), 16);
}

TEST(MidiFile, UnwrapsRiffRmid)
{
    SmfWriter w(0, 480);
    w.addTrack().noteOn(0, 60, 100).delta(480).noteOff(0, 60);
    const auto smf = w.bytes();
    std::vector<std::uint8_t> riff{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'L', 'I', 'S', 'T', 2, 0, 0, 0, 'x', 'y',
                                   'd', 'a', 't', 'a'};
    for (int i = 0; i < 4; ++i)
        riff.push_back(static_cast<std::uint8_t>(smf.size() >> (8 * i)));
    riff.insert(riff.end(), smf.begin(), smf.end());
    const Song song = parseMidiFile(riff);
    EXPECT_EQ(song.events.size(), 2u);
    EXPECT_EQ(song.endTick, 480);
}

TEST(TempoMap, ConvertsAcrossTempoChanges)
{
    // 480 PPQN: 120 bpm for a bar, then 60 bpm, then 240 bpm.
    const TempoMap map(480, {{0, 500000}, {1920, 1000000}, {3840, 250000}});
    EXPECT_EQ(map.tickToUs(1920), 2'000'000);
    EXPECT_EQ(map.tickToUs(2400), 3'000'000);
    EXPECT_EQ(map.tickToUs(3840), 6'000'000);
    EXPECT_EQ(map.tickToUs(4320), 6'250'000);
    for (std::int64_t tick : {0, 1, 479, 1920, 2401, 3839, 3840, 9999})
        EXPECT_EQ(map.usToTick(map.tickToUs(tick)), tick) << tick;
    EXPECT_EQ(map.usToTick(2'999'999), 2399);
}

TEST(TempoMap, LaterChangeAtTheSameTickWins)
{
    const TempoMap map(96, {{0, 1000000}, {0, 500000}, {96, 2000000}, {96, 250000}});
    EXPECT_EQ(map.tickToUs(96), 500000);
    EXPECT_EQ(map.tickToUs(192), 750000);
}

TEST(TempoMap, StepsForEveryPpqn)
{
    for (int ppqn : {96, 480, 960, 90, 97, 1}) {
        const TempoMap map(ppqn, {});
        for (std::int64_t step : {0, 1, 2, 3, 15, 16, 1001}) {
            const std::int64_t tick = map.stepToTick(step);
            if (ppqn >= 4) {
                EXPECT_EQ(map.tickToStep(tick), step) << ppqn << " " << step;
                EXPECT_EQ(map.tickToStep(tick - 1), step - (step > 0)) << ppqn << " " << step;
            }
            EXPECT_GE(tick * 4, step * ppqn);
        }
        // A song's length in steps ends on a tick whose step is that length again.
        for (std::int64_t endTick : {1, 95, 96, 97, 1000}) {
            const std::int64_t length = map.tickToStepCeil(endTick);
            EXPECT_GE(map.stepToTick(length), endTick);
            if (ppqn >= 4) {
                EXPECT_EQ(map.tickToStep(map.stepToTick(length)), length) << ppqn << " " << endTick;
            }
        }
    }
}

TEST(TempoMap, PacksSmpte24)
{
    const std::int64_t us = ((1 * 60 + 2) * 60 + 10) * 1'000'000LL + 500'000;
    const std::int64_t packed = packSmpte24(us);
    EXPECT_EQ(packed & 0xFF, 1);
    EXPECT_EQ(packed >> 8 & 0xFF, 2);
    EXPECT_EQ(packed >> 16 & 0xFF, 10);
    EXPECT_EQ(packed >> 24 & 0xFF, 12);
    EXPECT_EQ(unpackSmpte24(packed), us);
}

struct BadFile {
    const char *name;
    std::vector<std::uint8_t> bytes;
    const char *text;
};

std::vector<std::uint8_t> header(int format, int tracks, int division, std::uint32_t size = 6)
{
    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
    smf::appendBigEndian(out, size, 4);
    smf::appendBigEndian(out, static_cast<std::uint32_t>(format), 2);
    smf::appendBigEndian(out, static_cast<std::uint32_t>(tracks), 2);
    smf::appendBigEndian(out, static_cast<std::uint32_t>(division), 2);
    return out;
}

std::vector<std::uint8_t> withTrack(std::vector<std::uint8_t> file, const std::vector<std::uint8_t> &data,
                                    std::uint32_t declared)
{
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    smf::appendBigEndian(file, declared, 4);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

std::vector<std::uint8_t> withTrack(std::vector<std::uint8_t> file, const std::vector<std::uint8_t> &data)
{
    return withTrack(std::move(file), data, static_cast<std::uint32_t>(data.size()));
}

std::vector<BadFile> badFiles()
{
    using namespace file_text;
    SmfWriter good(1, 480);
    good.addTrack().noteOn(0, 60, 100).delta(480).noteOff(0, 60);
    good.addTrack().controlChange(0, 7, 100);
    const auto whole = good.bytes();
    const std::string text = "これはテキストファイルです。\nMThd はここにはありません。\n";
    return {
        {"empty", {}, kDamaged},
        {"text", {text.begin(), text.end()}, kDamaged},
        {"header only", {'M', 'T', 'h', 'd'}, kDamaged},
        {"short header", header(1, 1, 480, 4), kDamaged},
        {"header longer than file", header(1, 1, 480, 600), kDamaged},
        {"format 2", withTrack(header(2, 1, 480), {0, 0xFF, 0x2F, 0}), kFormat2},
        {"format 7", withTrack(header(7, 1, 480), {0, 0xFF, 0x2F, 0}), kDamaged},
        {"smpte division", withTrack(header(1, 1, 0xE728), {0, 0xFF, 0x2F, 0}), kSmpte},
        {"division 0", withTrack(header(1, 1, 0), {0, 0xFF, 0x2F, 0}), kDamaged},
        {"no tracks", header(1, 0, 480), kDamaged},
        {"missing tracks", withTrack(header(1, 3, 480), {0, 0xFF, 0x2F, 0}), kDamaged},
        {"chunk longer than file", withTrack(header(0, 1, 480), {0, 0x90, 60, 100}, 0x7FFFFFF0), kDamaged},
        {"truncated in the middle", {whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2)}, kDamaged},
        {"truncated event", withTrack(header(0, 1, 480), {0, 0x90, 60}), kDamaged},
        {"truncated delta", withTrack(header(0, 1, 480), {0x81, 0x80}), kDamaged},
        {"five byte delta", withTrack(header(0, 1, 480), {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}), kDamaged},
        {"data without status", withTrack(header(0, 1, 480), {0, 60, 100}), kDamaged},
        {"status in data", withTrack(header(0, 1, 480), {0, 0x90, 60, 0x90}), kDamaged},
        {"system realtime in file", withTrack(header(0, 1, 480), {0, 0xF8}), kDamaged},
        {"meta longer than track", withTrack(header(0, 1, 480), {0, 0xFF, 0x01, 0x7F, 'a'}), kDamaged},
        {"sysex longer than track", withTrack(header(0, 1, 480), {0, 0xF0, 0x8F, 0xFF, 0xFF, 0x7F, 1}), kDamaged},
        {"endless song", withTrack(header(0, 1, 1), {0x8F, 0xFF, 0xFF, 0x7F, 0xFF, 0x51, 3, 0xFF, 0xFF, 0xFF,
                                                     0x8F, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0}), kDamaged},
        {"riff without rmid", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, kDamaged},
        {"riff data chunk too long", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 0xFF, 0xFF, 0, 0}, kDamaged},
        {"riff odd chunk at the end", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'L', 'I', 'S', 'T', 3, 0, 0, 0, 'x', 'y', 'z'}, kDamaged},
        {"riff without data", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'L', 'I', 'S', 'T', 0, 0, 0, 0}, kDamaged},
    };
}

TEST(MidiFile, EveryDamagedFileGivesAnErrorWithAText)
{
    for (const BadFile &bad : badFiles()) {
        try {
            parseMidiFile(bad.bytes);
            ADD_FAILURE() << bad.name << " was accepted";
        } catch (const MidiFileError &e) {
            EXPECT_STREQ(e.what(), bad.text) << bad.name;
            EXPECT_NE(e.code(), 0) << bad.name;
        }
    }
}

TEST(MidiFile, EveryTruncationOfAGoodFileIsRejectedOrReadWithoutHarm)
{
    SmfWriter w(1, 480);
    w.setRunningStatus(true);
    w.addTrack().tempo(400000).sysEx({0x41, 0x10, 0x42, 0x12, 0xF7}).note(0, 60, 100, 240).lyric("あ");
    w.addTrack().programChange(1, 3).note(1, 62, 80, 480).pitchBend(1, 100);
    const auto whole = w.bytes();
    for (std::size_t n = 0; n < whole.size(); ++n) {
        try {
            const Song song = parseMidiFile({whole.data(), n});
            EXPECT_LE(song.events.size(), 8u);
        } catch (const MidiFileError &e) {
            EXPECT_EQ(e.code(), device_error::BadFile);
        }
    }
}

TEST(MidiFile, LoadReportsMissingAndUnreadableFiles)
{
    try {
        loadMidiFile(::testing::TempDir() + "no-such-song.mid");
        ADD_FAILURE();
    } catch (const MidiFileError &e) {
        EXPECT_EQ(e.code(), device_error::FileNotFound);
        EXPECT_STREQ(e.what(), file_text::kNotFound);
    }
    try {
        loadMidiFile(::testing::TempDir());
        ADD_FAILURE();
    } catch (const MidiFileError &e) {
        EXPECT_STREQ(e.what(), file_text::kUnreadable);
    }
}

TEST(MidiFile, OversizedFileIsRefusedBeforeReading)
{
    const std::string path = ::testing::TempDir() + "huge.mid";
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(static_cast<std::streamoff>(kMaxFileSize) + 1);
        out.put('\0');
    }
    try {
        loadMidiFile(path);
        ADD_FAILURE();
    } catch (const MidiFileError &e) {
        EXPECT_STREQ(e.what(), file_text::kTooLarge);
    }
    std::remove(path.c_str());
}

} // namespace
} // namespace kazoon::engine::test
