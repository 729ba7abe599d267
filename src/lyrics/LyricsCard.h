#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

#include "options/LiveSettings.h"
#include "player/StepDisplay.h"

namespace kazoon::lyrics {

// A card is a few pages of lyrics; anything bigger is not a card and is
// treated as no card at all.
constexpr qint64 kMaxCardSize = 1024 * 1024;

// A card cut into pages: steps[i] is the line of mark i as read (for
// lstStep), marks[i] its value, pages[i] the page it opens, its lines joined
// with CR LF (for lstWrd). A usable card has as many pages as marks, at
// least one; an unusable one has none of the three.
struct LyricsCard {
    QStringList steps;
    QList<int> marks;
    QStringList pages;
    bool usable() const { return !steps.isEmpty(); }
};

// The value of a step mark line: a whole-line integer of 0 or more by the
// program's integer rule. Anything else is a text line.
std::optional<int> stepMark(QStringView line);

// Cuts a card's lines into pages. The first line must be a mark and every
// mark but a last line needs at least one text line; otherwise the card is
// unusable and the result is empty.
LyricsCard parseLyricsCard(const QStringList &lines);

// Decodes a card's bytes (UTF-8, or Shift-JIS when not valid UTF-8) and
// parses it.
LyricsCard parseLyricsCard(const QByteArray &bytes);

// Reads and parses the card at path. A card that does not exist, cannot be
// read, is not a regular file or is larger than kMaxCardSize is unusable,
// like a damaged one: the song simply has no lyrics.
LyricsCard readLyricsCard(const QString &path);

// What the lyrics label shows: a page index, or one of these.
constexpr int kEmptyPage = -1; // the empty text
constexpr int kKeepPage = -2;  // leave the shown text as it is

// The page for the step display and the position in steps. Marks are
// given as their lines (lstStep) or as their values. Scans the marks once
// and allocates nothing, so it can run on every tick.
int pageForPosition(const QStringList &steps, player::StepDisplay stepDisplay, int position);
int pageForPosition(const QList<int> &marks, player::StepDisplay stepDisplay, int position);

// The card's file name: the song's file name without its last three
// characters, followed by "txt" (Song.mid gives Song.txt). A name of fewer
// than three characters is kept whole.
QString cardName(const QString &songFileName);

// Where the song's card is kept under the lyrics folder rule: beside the
// song, or in the lyrics folder (with or without a trailing "/"). With the
// own-folder rule and no folder chosen the path names the card in "/", where
// the lookup looks; noFolder tells the maker that it must not write there.
struct CardLocation {
    QString path;
    bool noFolder = false;

    bool operator==(const CardLocation &) const = default;
};
CardLocation cardPathFor(const QString &songFileName, LyricsFolderRule rule,
                         const QString &lyricsFolder);
// Inline, so that the card reader alone (as the fuzz target builds it) needs
// no options dialog behind the settings.
inline CardLocation cardPathFor(const QString &songFileName, const LiveSettings &settings)
{
    return cardPathFor(songFileName, settings.lyricsFolderRule(), settings.lyricsFolder());
}

} // namespace kazoon::lyrics
