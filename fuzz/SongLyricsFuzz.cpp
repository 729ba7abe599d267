#include "app/TextFile.h"
#include "lyrics/CardMaker.h"
#include "lyrics/LyricsCard.h"
#include "lyrics/SongLyrics.h"
#include "player/engine/MidiFile.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace kazoon::lyrics;
using kazoon::engine::Song;
using kazoon::engine::SongText;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

bool isBlank(std::span<const std::uint8_t> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b <= 0x20; });
}

// The text without anything that is not sung: blanks, line ends, the marks
// of the layout, characters that cannot be read.
QString sungOnly(const QString &text, bool karaoke)
{
    QString out;
    for (const QChar c : text) {
        if (c.isSpace() || c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() == 0xFEFF
            || c == QChar::ReplacementCharacter
            || (karaoke && (c == QLatin1Char('/') || c == QLatin1Char('\\'))))
            continue;
        out += c;
    }
    return out;
}

// Every syllable the song sings, read the simple way: all the chosen events'
// bytes, without their language tags, decoded at once.
QString songText(const Song &song, bool &karaoke)
{
    karaoke = std::none_of(song.texts.begin(), song.texts.end(), [&](const SongText &t) {
        return t.type == kazoon::engine::kLyricEvent && !isBlank(song.text(t));
    });
    QByteArray all;
    for (const SongText &t : song.texts) {
        const auto bytes = song.text(t);
        if (karaoke ? t.type != kazoon::engine::kTextEvent || (!bytes.empty() && bytes[0] == '@')
                    : t.type != kazoon::engine::kLyricEvent)
            continue;
        all.append(withoutLanguageTag(QByteArrayView(bytes.data(), qsizetype(bytes.size()))));
    }
    return kazoon::decodeTextAs(kazoon::isUtf8Text(all), all);
}

void checkCard(const Song &song, const LyricsCard &card)
{
    check(card.steps.size() == card.pages.size() && card.marks.size() == card.pages.size());
    for (qsizetype i = 0; i < card.marks.size(); ++i) {
        check(card.marks.at(i) >= 0 && (i == 0 || card.marks.at(i) > card.marks.at(i - 1)));
        check(card.steps.at(i) == QString::number(card.marks.at(i)));
        for (const QString &line : card.pages.at(i).split(QLatin1String("\r\n")))
            check(!line.trimmed().isEmpty());
    }

    bool karaoke = false;
    const QString expected = sungOnly(songText(song, karaoke), karaoke);
    check(sungOnly(card.pages.join(QString()), karaoke) == expected);
    check(card.usable() == !expected.isEmpty());
    if (!card.usable())
        return;

    const LyricsCard again = parseLyricsCard(cardBytes(card.pages, card.marks));
    check(again.marks == card.marks && again.pages.size() == card.pages.size());
    for (qsizetype i = 0; i < card.pages.size(); ++i)
        check(again.pages.at(i) == pageAsWritten(card.pages.at(i)));
}

void checkSong(const Song &song)
{
    checkCard(song, cardFromSong(song));
    // Paged again for other windows, from the lines read once.
    const SongLines lines = linesFromSong(song);
    for (const int perPage : {1, 3, 7})
        checkCard(song, cardFromLines(lines, {0, perPage}));
}

// Bytes that are no MIDI file, read as a stream of text and lyric events:
// the first byte the resolution, then per event a byte of kind (its top bit:
// a lyric event) and time to the event before, a byte of length and the text.
Song eventStream(const std::uint8_t *data, std::size_t size)
{
    Song song;
    if (size == 0)
        return song;
    song.ppqn = 1 + data[0];
    std::int64_t tick = 0;
    std::size_t i = 1;
    while (i + 2 <= size) {
        const std::uint8_t kind = data[i];
        const std::size_t length = std::min<std::size_t>(data[i + 1], size - i - 2);
        tick += (kind & 0x7F) * 7;
        SongText t{};
        t.tick = tick;
        t.offset = std::uint32_t(song.textData.size());
        t.size = std::uint32_t(length);
        t.type = kind & 0x80 ? kazoon::engine::kLyricEvent : kazoon::engine::kTextEvent;
        song.textData.insert(song.textData.end(), data + i + 2, data + i + 2 + length);
        song.texts.push_back(t);
        i += 2 + length;
    }
    song.endTick = tick;
    return song;
}

} // namespace

// Any file that reads, and any stream of text and lyric events, gives a card
// whose pages rise, that holds every sung syllable of the song once, and that
// the card writer and reader keep as it is.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    try {
        checkSong(kazoon::engine::parseMidiFile({data, size}));
    } catch (const kazoon::engine::MidiFileError &) {
        checkSong(eventStream(data, size));
    }
    return 0;
}
