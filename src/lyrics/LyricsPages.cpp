#include "lyrics/LyricsPages.h"

#include <utility>

namespace kazoon::lyrics {

namespace {

QString firstLine(const QString &page)
{
    const qsizetype end = page.indexOf(QLatin1Char('\r'));
    return end < 0 ? page : page.left(end);
}

} // namespace

LyricsPages::LyricsPages(Hooks hooks, QObject *parent) : QObject(parent), hooks_(std::move(hooks)) {}

LyricsCard LyricsPages::fromSong(const engine::Song *song)
{
    lines_ = song ? linesFromSong(*song) : SongLines();
    shown_ = kNothingShown;
    return paged();
}

void LyricsPages::fromFile()
{
    lines_ = SongLines();
    shown_ = kNothingShown;
}

void LyricsPages::clear()
{
    fromFile();
    put(QString(), QString());
}

LyricsCard LyricsPages::paged()
{
    linesPerPage_ = lines_.pageMarks ? 0 : hooks_.linesThatFit();
    return cardFromLines(lines_, {-1, linesPerPage_});
}

void LyricsPages::roomChanged()
{
    // Paging again may lay the window out, which tells of its room again.
    if (lines_.empty() || lines_.pageMarks || repaging_)
        return;
    repaging_ = true;
    if (hooks_.linesThatFit() != linesPerPage_) {
        shown_ = kNothingShown;
        hooks_.repaged(paged());
    }
    repaging_ = false;
}

void LyricsPages::show(int page, const QStringList &pages)
{
    if (page == shown_ || page == kKeepPage || page >= pages.size())
        return;
    shown_ = page;
    const int next = page + 1; // the first page follows the empty one
    put(page >= 0 ? pages.at(page) : QString(),
        nextLineOn_ && next < pages.size() ? firstLine(pages.at(next)) : QString());
}

void LyricsPages::setShowsNextLine(bool on, const QStringList &pages)
{
    if (on == nextLineOn_)
        return;
    nextLineOn_ = on;
    hooks_.showNextLine(on);
    // Shown again with the line, or without it.
    const int page = std::exchange(shown_, kNothingShown);
    if (page != kNothingShown)
        show(page, pages);
}

void LyricsPages::put(const QString &page, const QString &next)
{
    page_ = page;
    next_ = next;
    hooks_.show(page_, next_);
    emit pageChanged(page_, next_);
}

} // namespace kazoon::lyrics
