#include "lyrics/SongLyrics.h"

#include "app/TextFile.h"

#include <QStringDecoder>
#include <algorithm>
#include <climits>
#include <vector>

namespace kazoon::lyrics {

namespace {

using engine::Song;
using engine::SongText;

enum class Break { None, Line, Page };

using Line = SongLines::Line;

bool blankBytes(std::span<const std::uint8_t> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b <= 0x20; });
}

// Which events carry the lyrics: lyric events when the song has any with
// something in them, else the text events that are not "@" information lines.
std::vector<const SongText *> lyricEvents(const Song &song, bool &lyricLayout)
{
    lyricLayout = std::any_of(song.texts.begin(), song.texts.end(), [&](const SongText &t) {
        return t.type == engine::kLyricEvent && !blankBytes(song.text(t));
    });
    std::vector<const SongText *> chosen;
    for (const SongText &t : song.texts) {
        const auto bytes = song.text(t);
        if (lyricLayout ? t.type != engine::kLyricEvent
                        : t.type != engine::kTextEvent || (!bytes.empty() && bytes[0] == '@'))
            continue;
        chosen.push_back(&t);
    }
    return chosen;
}

// How many of the bytes make whole characters: a character cut between two
// events is read with the second.
qsizetype wholeCharacters(const QByteArray &bytes, bool utf8)
{
    const qsizetype n = bytes.size();
    if (utf8) {
        for (qsizetype i = n - 1; i >= 0 && i >= n - 3; --i) {
            const auto b = std::uint8_t(bytes.at(i));
            if (b < 0x80)
                return n;
            if (b >= 0xC0) {
                const qsizetype length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
                return i + length > n ? i : n;
            }
        }
        return n;
    }
    qsizetype i = 0;
    while (i < n) {
        const auto b = std::uint8_t(bytes.at(i));
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        if (lead && i + 1 == n)
            return i;
        i += lead ? 2 : 1;
    }
    return n;
}

Break breakFor(QChar c, bool lyricLayout)
{
    if (lyricLayout)
        return c == QLatin1Char('\n') ? Break::Page : c == QLatin1Char('\r') ? Break::Line : Break::None;
    if (c == QLatin1Char('\\'))
        return Break::Page;
    if (c == QLatin1Char('/') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
        return Break::Line;
    return Break::None;
}

bool tagCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
           || c == '_';
}

// The length of the tag at the start of text, 0 for none.
qsizetype tagLength(QByteArrayView text)
{
    constexpr qsizetype kLongestName = 16;
    if (text.size() < 4 || text[0] != '{' || (text[1] != '@' && text[1] != '#'))
        return 0;
    qsizetype i = 2;
    while (i < text.size() && i - 2 < kLongestName && tagCharacter(text[i]))
        ++i;
    return i > 2 && i < text.size() && text[i] == '}' ? i + 1 : 0;
}

// Decodes a song's text piece by piece as decodeTextAs does, with one
// Shift-JIS decoder for the whole song: opening one costs far more than a
// syllable does. Each piece is whole characters, so the decoder keeps no
// state from one to the next.
class PieceDecoder {
public:
    explicit PieceDecoder(bool utf8) : utf8_(utf8)
    {
        if (!utf8)
            sjis_ = QStringDecoder("Shift_JIS", QStringConverter::Flag::Stateless);
    }
    QString operator()(QByteArrayView piece)
    {
        if (utf8_ || !sjis_.isValid())
            return decodeTextAs(utf8_, piece);
        return sjis_.decode(piece);
    }

private:
    bool utf8_;
    QStringDecoder sjis_;
};

// Appends text without the tags at its start.
void appendWithoutTag(QByteArray &out, QByteArrayView text)
{
    qsizetype start = 0;
    while (start < text.size()
           && (text[start] == '/' || text[start] == '\\' || text[start] == '\r'
               || text[start] == '\n' || text[start] == ' ' || text[start] == '\t'))
        ++start;
    qsizetype end = start;
    while (const qsizetype n = tagLength(text.sliced(end)))
        end += n;
    out.append(text.first(start));
    out.append(text.sliced(end));
}

// Lines as sung: syllables joined, broken at the song's marks. A blank
// between words is kept; blanks and marks alone start nothing.
std::vector<Line> linesOf(const Song &song, bool &anyPageBreak)
{
    bool lyricLayout = false;
    const std::vector<const SongText *> events = lyricEvents(song, lyricLayout);
    // Every event's text without its tags, one after another: the decoding
    // is chosen for the text as shown.
    QByteArray all;
    std::vector<qsizetype> ends;
    ends.reserve(events.size());
    for (const SongText *t : events) {
        const auto bytes = song.text(*t);
        appendWithoutTag(all, QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        ends.push_back(all.size());
    }
    const bool utf8 = isUtf8Text(all);
    PieceDecoder decode(utf8);

    std::vector<Line> lines;
    Line current;
    Break pending = Break::None;
    anyPageBreak = false;
    QByteArray carried; // the start of a character that the next event ends
    auto finish = [&] {
        current.text = current.text.trimmed();
        if (!current.text.isEmpty())
            lines.push_back(std::move(current));
        current = Line();
    };
    for (std::size_t k = 0; k < events.size(); ++k) {
        const SongText *t = events[k];
        const qsizetype from = k == 0 ? 0 : ends[k - 1];
        carried.append(QByteArrayView(all).sliced(from, ends[k] - from));
        const qsizetype cut = wholeCharacters(carried, utf8);
        const QString text = decode(QByteArrayView(carried).first(cut));
        carried.remove(0, cut);
        for (const QChar c : text) {
            const Break b = breakFor(c, lyricLayout);
            if (b != Break::None) {
                pending = std::max(pending, b);
                continue;
            }
            if (c.isSpace()) {
                if (!current.text.isEmpty() && pending == Break::None)
                    current.text += QLatin1Char(' ');
                continue;
            }
            // Control characters, byte-order marks and bytes that do not
            // decode are nothing a performer can sing.
            if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() == 0xFEFF
                || c == QChar::ReplacementCharacter)
                continue;
            if (pending != Break::None) {
                finish();
                current.newPage = pending == Break::Page;
                // A page mark before the first line separates nothing.
                anyPageBreak = anyPageBreak || (current.newPage && !lines.empty());
                pending = Break::None;
            }
            if (current.text.isEmpty())
                current.tick = t->tick;
            current.text += c;
        }
    }
    finish();
    return lines;
}

} // namespace

QByteArray withoutLanguageTag(QByteArrayView text)
{
    QByteArray out;
    appendWithoutTag(out, text);
    return out;
}

SongLines linesFromSong(const Song &song)
{
    SongLines result;
    result.lines = linesOf(song, result.pageMarks);
    result.ppqn = song.ppqn;
    return result;
}

LyricsCard cardFromSong(const Song &song, const SongLyricsOptions &options)
{
    return cardFromLines(linesFromSong(song), options);
}

LyricsCard cardFromLines(const SongLines &songLines, const SongLyricsOptions &options)
{
    const std::vector<Line> &lines = songLines.lines;
    const bool anyPageBreak = songLines.pageMarks;
    const std::int64_t lead = options.leadTicks < 0 ? songLines.ppqn : options.leadTicks;
    const std::size_t perPage = std::size_t(std::max(2, options.linesPerPage));
    const std::int64_t ppqn = std::max(1, songLines.ppqn);

    LyricsCard card;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line &line = lines[i];
        const bool opens = i == 0 || (anyPageBreak ? line.newPage : i % perPage == 0);
        if (opens) {
            // The page shows when the display reaches the step of its first
            // syllable, less the lead.
            const std::int64_t step = std::max<std::int64_t>(0, line.tick - lead) * 4 / ppqn + 1;
            int mark = int(std::min<std::int64_t>(step, INT_MAX));
            // Pages closer than a step apart keep their own page one step
            // later, as the song cut them; only at the last step do they join.
            if (!card.marks.isEmpty() && mark <= card.marks.last())
                mark = card.marks.last() == INT_MAX ? -1 : card.marks.last() + 1;
            if (mark >= 0) {
                card.marks.append(mark);
                card.steps.append(QString::number(mark));
                card.pages.append(line.text);
                continue;
            }
        }
        card.pages.last() += QLatin1String("\r\n") + line.text;
    }
    return card;
}

} // namespace kazoon::lyrics
