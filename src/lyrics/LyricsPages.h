#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "lyrics/LyricsCard.h"
#include "lyrics/SongLyrics.h"

namespace kazoon::lyrics {

// Where the lyrics window's pages come from and what it shows of them. A
// card file is taken as it is. The lyrics a song carries are read once, when
// its card is looked up, and paged again only when the window's room changes
// and the song marks no pages of its own. What is shown changes only when the
// page does, so that a tick within a page costs nothing.
class LyricsPages : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // Puts a page (lines joined with CR LF) and the next page's first
        // line on the screen.
        std::function<void(const QString &page, const QString &nextLine)> show;
        // Shows the next page's first line under the page, or not.
        std::function<void(bool on)> showNextLine;
        // How many lines the lyrics window shows whole now (2 at least).
        std::function<int()> linesThatFit;
        // The song's card paged anew: it takes the old one's place, and the
        // page for the position is shown.
        std::function<void(LyricsCard card)> repaged;
    };

    explicit LyricsPages(Hooks hooks, QObject *parent = nullptr);

    // The card made from the song's own lyrics, paged for the window as it is;
    // unusable for no song or a song without lyrics.
    LyricsCard fromSong(const engine::Song *song);
    // The card is a card file: it is never paged again.
    void fromFile();
    // No card (a new song, a lookup to come): the window shows nothing.
    void clear();
    bool songLyrics() const { return !lines_.empty(); }

    // The window's room for a page changed.
    void roomChanged();

    // Shows page `page` of `pages`, or nothing for kEmptyPage; kKeepPage and
    // a page the card does not have leave the text as it is.
    void show(int page, const QStringList &pages);
    void setShowsNextLine(bool on, const QStringList &pages);

    // What the lyrics window shows now: the page as the card holds it (lines
    // joined with CR LF), and the first line of the next page while the next
    // line is shown (before the first page: the first page's first line).
    const QString &page() const { return page_; }
    const QString &nextLine() const { return next_; }

signals:
    void pageChanged(const QString &page, const QString &nextLine);

private:
    static constexpr int kNothingShown = -3;
    LyricsCard paged();
    void put(const QString &page, const QString &next);

    Hooks hooks_;
    SongLines lines_;    // of a card made from the song; empty for a card file
    int linesPerPage_ = 0; // the paging of lines_
    bool nextLineOn_ = false;
    bool repaging_ = false;
    int shown_ = kNothingShown;
    QString page_, next_;
};

} // namespace kazoon::lyrics
