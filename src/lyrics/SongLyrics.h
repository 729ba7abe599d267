#pragma once

#include "lyrics/LyricsCard.h"
#include "player/engine/MidiFile.h"

#include <QString>

namespace kazoon::lyrics {

// How a card is made from the lyrics a song carries.
struct SongLyricsOptions {
    // How long before its first syllable a page shows; below 0 means one beat.
    int leadTicks = -1;
    // Lines per page when the song marks lines but not pages (2 at least).
    int linesPerPage = 2;
};

// The card for the lyrics in a song's own text (FF 01, karaoke layout: "/"
// a new line, "\" a new page, "@" lines skipped) or lyric events (FF 05, used
// whenever there are any: CR a new line, LF a new page). The text is UTF-8
// when all of it is, Shift-JIS otherwise. Each page's mark is the step shown
// at its first syllable less the lead; marks always rise. A song without
// lyrics gives an unusable card.
LyricsCard cardFromSong(const engine::Song &song, const SongLyricsOptions &options = {});

// A syllable's text without a language tag in front; tags have no settled
// form in songs yet, so this leaves the text as it is.
QString withoutLanguageTag(const QString &syllable);

} // namespace kazoon::lyrics
