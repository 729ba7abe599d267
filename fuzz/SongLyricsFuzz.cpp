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
// bytes decoded at once.
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
        all.append(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
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

} // namespace

// Any file that reads gives a card whose pages rise, that holds every sung
// syllable of the song once, and that the card writer and reader keep as it is.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    try {
        const Song song = kazoon::engine::parseMidiFile({data, size});
        checkCard(song, cardFromSong(song));
        checkCard(song, cardFromSong(song, {0, 3}));
    } catch (const kazoon::engine::MidiFileError &) {
    }
    return 0;
}
