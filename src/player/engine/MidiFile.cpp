#include "player/engine/MidiFile.h"

#include "player/engine/DeviceErrors.h"

#include "platform/Files.h"

#include <algorithm>
#include <cstring>

namespace kazoon::engine {

namespace {

// Beyond this a tick count can only come from a damaged file (years of music
// at any PPQN), and the time arithmetic stays far from overflow.
constexpr std::int64_t kMaxTick = std::int64_t{1} << 40;
// No song is longer than this; a longer one is a damaged file.
constexpr std::int64_t kMaxSongUs = std::int64_t{100} * 3600 * 1'000'000;

[[noreturn]] void damaged() { throw MidiFileError(device_error::BadFile, file_text::kDamaged); }

std::uint32_t bigEndian(const std::uint8_t *p, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | p[i];
    return value;
}

std::uint32_t littleEndian32(const std::uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24; }

// Unwraps a RIFF RMID file to the Standard MIDI File in its "data" chunk.
std::span<const std::uint8_t> unwrapRiff(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0)
        return bytes;
    if (std::memcmp(bytes.data() + 8, "RMID", 4) != 0)
        damaged();
    std::size_t pos = 12;
    while (pos <= bytes.size() && bytes.size() - pos >= 8) {
        const std::uint32_t size = littleEndian32(bytes.data() + pos + 4);
        if (size > bytes.size() - pos - 8)
            damaged();
        if (std::memcmp(bytes.data() + pos, "data", 4) == 0)
            return bytes.subspan(pos + 8, size);
        pos += 8 + size + (size & 1);
    }
    damaged();
}

struct TrackReader {
    const std::uint8_t *p;
    std::size_t size;
    std::size_t pos = 0;

    bool atEnd() const { return pos >= size; }
    std::uint8_t byte()
    {
        if (pos >= size)
            damaged();
        return p[pos++];
    }
    std::uint32_t variableLength()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = byte();
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return value;
        }
        damaged();
    }
    std::size_t length()
    {
        const std::uint32_t n = variableLength();
        if (n > size - pos)
            damaged();
        return n;
    }
};

struct TrackEvents {
    std::vector<SongEvent> events;
    std::int64_t endTick = 0;
};

void readTrack(std::span<const std::uint8_t> chunk, Song &song, std::vector<TempoChange> &tempos, TrackEvents &out)
{
    TrackReader in{chunk.data(), chunk.size()};
    std::int64_t tick = 0;
    std::uint8_t runningStatus = 0;
    auto store = [&](const std::uint8_t *bytes, std::size_t n, std::uint8_t first) {
        SongEvent e{tick, static_cast<std::uint32_t>(song.data.size()), 0, 0};
        e.size = static_cast<std::uint32_t>(n + (first ? 1 : 0)) & 0x7FFFFFFF;
        e.escape = first == 0;
        out.events.push_back(e);
        if (first)
            song.data.push_back(first);
        song.data.insert(song.data.end(), bytes, bytes + n);
    };
    while (!in.atEnd()) {
        tick += in.variableLength();
        if (tick > kMaxTick)
            damaged();
        std::uint8_t status = in.byte();
        if (status == 0xFF) {
            const std::uint8_t type = in.byte();
            const std::size_t n = in.length();
            const std::uint8_t *data = in.p + in.pos;
            in.pos += n;
            if (type == 0x2F) {
                out.endTick = tick;
                return; // anything after End of Track is not part of the song
            }
            if (type == 0x51 && n >= 3)
                tempos.push_back({tick, bigEndian(data, 3)});
            if (type == 0x58 && n >= 2 && song.metre.size() < kMaxTimeSignatures)
                song.metre.push_back({tick, data[0], data[1]});
            if ((type == kTextEvent || type == kLyricEvent) && song.texts.size() < kMaxSongTexts
                && n <= kMaxSongTextBytes - song.textData.size()) {
                song.texts.push_back({tick, static_cast<std::uint32_t>(song.textData.size()),
                                      static_cast<std::uint32_t>(n), type});
                song.textData.insert(song.textData.end(), data, data + n);
            }
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            const std::size_t n = in.length();
            if (status == 0xF0 || n > 0)
                store(in.p + in.pos, n, status == 0xF0 ? 0xF0 : 0);
            in.pos += n;
            continue;
        }
        if (status >= 0xF0)
            damaged(); // system common and real-time messages have no place in a file
        if (status & 0x80) {
            runningStatus = status;
        } else {
            if (!runningStatus)
                damaged();
            status = runningStatus;
            --in.pos;
        }
        const std::size_t n = (status & 0xE0) == 0xC0 ? 1 : 2;
        if (in.size - in.pos < n)
            damaged();
        for (std::size_t i = 0; i < n; ++i)
            if (in.p[in.pos + i] & 0x80)
                damaged();
        store(in.p + in.pos, n, status);
        in.pos += n;
    }
    out.endTick = tick; // a track without End of Track ends with its last event
}

// Merges the per-track runs pairwise; std::inplace_merge keeps the earlier
// track first at equal ticks.
void mergeTracks(std::vector<SongEvent> &events, std::vector<std::size_t> bounds)
{
    auto byTick = [](const SongEvent &a, const SongEvent &b) { return a.tick < b.tick; };
    while (bounds.size() > 2) {
        std::vector<std::size_t> next{0};
        for (std::size_t i = 0; i + 1 < bounds.size(); i += 2) {
            if (i + 2 < bounds.size()) {
                std::inplace_merge(events.begin() + bounds[i], events.begin() + bounds[i + 1],
                                   events.begin() + bounds[i + 2], byTick);
                next.push_back(bounds[i + 2]);
            } else {
                next.push_back(bounds[i + 1]);
            }
        }
        bounds = std::move(next);
    }
}

} // namespace

Song parseMidiFile(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > kMaxFileSize)
        throw MidiFileError(device_error::BadFile, file_text::kTooLarge);
    bytes = unwrapRiff(bytes);
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0)
        damaged();
    const std::uint32_t headerSize = bigEndian(bytes.data() + 4, 4);
    if (headerSize < 6 || headerSize > bytes.size() - 8)
        damaged();
    Song song;
    song.format = static_cast<int>(bigEndian(bytes.data() + 8, 2));
    const std::uint32_t trackCount = bigEndian(bytes.data() + 10, 2);
    const std::uint32_t division = bigEndian(bytes.data() + 12, 2);
    if (song.format == 2)
        throw MidiFileError(device_error::BadFile, file_text::kFormat2);
    if (song.format > 2 || trackCount == 0 || division == 0)
        damaged();
    if (division & 0x8000)
        throw MidiFileError(device_error::BadFile, file_text::kSmpte);
    song.ppqn = static_cast<int>(division);

    song.data.reserve(bytes.size() + bytes.size() / 2);
    std::vector<TempoChange> tempos;
    std::vector<std::size_t> bounds{0};
    std::size_t pos = 8 + headerSize;
    std::uint32_t tracksRead = 0;
    TrackEvents track;
    track.events.reserve(bytes.size() / 3); // events take three bytes or more, bar a few
    while (tracksRead < trackCount) {
        if (bytes.size() - pos < 8)
            damaged(); // fewer tracks than the header promises
        const std::uint32_t size = bigEndian(bytes.data() + pos + 4, 4);
        if (size > bytes.size() - pos - 8)
            damaged();
        if (std::memcmp(bytes.data() + pos, "MTrk", 4) == 0) {
            readTrack(bytes.subspan(pos + 8, size), song, tempos, track);
            song.endTick = std::max(song.endTick, track.endTick);
            ++tracksRead;
        }
        pos += 8 + size;
        bounds.push_back(track.events.size());
    }
    song.events = std::move(track.events);
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    mergeTracks(song.events, std::move(bounds));
    // Tracks were read in order, each rising in time: a stable sort orders
    // the texts as the events are ordered.
    std::stable_sort(song.texts.begin(), song.texts.end(),
                     [](const SongText &a, const SongText &b) { return a.tick < b.tick; });
    std::stable_sort(song.metre.begin(), song.metre.end(),
                     [](const TimeSignature &a, const TimeSignature &b) { return a.tick < b.tick; });

    song.tempo = TempoMap(song.ppqn, std::move(tempos));
    // The end of the song is reached at a whole step so that Position = Length there.
    if (song.tempo.tickToUs(song.tempo.stepToTick(song.lengthSteps())) > kMaxSongUs)
        damaged();
    return song;
}

Song loadMidiFile(const std::string &path)
{
    std::string bytes;
    switch (platform::readSmallFile(path, static_cast<std::int64_t>(kMaxFileSize), bytes)) {
    case platform::ReadStatus::Ok:
        break;
    case platform::ReadStatus::Missing:
        throw MidiFileError(device_error::FileNotFound, file_text::kNotFound);
    case platform::ReadStatus::TooLarge:
        throw MidiFileError(device_error::BadFile, file_text::kTooLarge);
    case platform::ReadStatus::NotAFile:
    case platform::ReadStatus::Unreadable:
        throw MidiFileError(device_error::BadFile, file_text::kUnreadable);
    }
    return parseMidiFile({reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()});
}

} // namespace kazoon::engine
