#pragma once

#include "lyrics/LyricsCard.h"
#include "player/engine/MidiFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

namespace kazoon::lyrics {

// How a card is made from the lyrics a song carries.
struct SongLyricsOptions {
    // How long before its first syllable a page shows; below 0 means one beat.
    int leadTicks = -1;
    // Lines per page when the song marks lines but not pages (2 at least).
    int linesPerPage = 2;
};

// The lines a song sings, as its lyric events give them, before they are
// cut into pages: kept, so that a song without page marks can be paged again
// for a window of another size without reading its events again.
struct SongLines {
    struct Line {
        std::int64_t tick = 0; // of its first syllable
        QString text;
        bool newPage = false; // the song starts a page here
    };
    std::vector<Line> lines;
    bool pageMarks = false; // the song marks its own pages
    int ppqn = 480;

    bool empty() const { return lines.empty(); }
};

// The lines in a song's own text (FF 01, karaoke layout: "/" a new line, "\"
// a new page, "@" lines skipped) or lyric events (FF 05, used whenever there
// are any: CR a new line, LF a new page), syllables joined as they are sung.
// The text is UTF-8 when all of it is, Shift-JIS otherwise.
SongLines linesFromSong(const engine::Song &song);

// The card for those lines. Each page's mark is the step shown at its first
// syllable less the lead; marks always rise. No lines give an unusable card.
LyricsCard cardFromLines(const SongLines &lines, const SongLyricsOptions &options = {});

// Both at once.
LyricsCard cardFromSong(const engine::Song &song, const SongLyricsOptions &options = {});

// An event's text without the language tags some files put at its start
// ("{@LATIN}", "{@JP}", "{#SJIS}"), after any blanks or line and page marks,
// which stay. A tag is "{", then "@" or "#", then 1 to 16 ASCII letters,
// digits, "-" or "_", then "}"; anything else in braces is sung.
QByteArray withoutLanguageTag(QByteArrayView text);

} // namespace kazoon::lyrics
