#include "app/ParseInt.h"
#include "app/TextFile.h"
#include "lyrics/CardMaker.h"
#include "lyrics/LyricsCard.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

using namespace kazoon::lyrics;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// The card written back as lines, each ending in CR LF.
QByteArray serialise(const LyricsCard &card)
{
    QString text;
    for (qsizetype i = 0; i < card.steps.size(); ++i)
        text += card.steps.at(i) + QLatin1String("\r\n") + card.pages.at(i) + QLatin1String("\r\n");
    return text.toUtf8();
}

// The card maker writes any typed lyrics as a card that reads back as the
// same pages (lines that look like marks with their blank) and marks.
void checkMakerRoundTrip(const QStringList &pages)
{
    if (pages.isEmpty())
        return;
    QList<int> marks;
    for (qsizetype i = 0; i < pages.size(); ++i)
        marks << int(i) * 16 + 1;
    const LyricsCard made = parseLyricsCard(cardBytes(pages, marks));
    check(made.usable() && made.marks == marks && made.pages.size() == pages.size());
    for (qsizetype i = 0; i < pages.size(); ++i)
        check(made.pages.at(i) == pageAsWritten(pages.at(i)));
    check(pagesFromText(textFromPages(pagesFromText(textFromPages(pages))))
          == pagesFromText(textFromPages(pages)));
}

} // namespace

// Any bytes give a card or no card; a card holds together: one page per mark,
// marks that read back as the same numbers, pages without marks in them, the
// same card when written back and read again, and a page for every position
// of a song played from its top.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkMakerRoundTrip(pagesFromText(kazoon::decodeText(bytes)));
    const LyricsCard card = parseLyricsCard(bytes);
    check(card.steps.size() == card.pages.size() && card.marks.size() == card.steps.size());
    check(card.usable() == !card.steps.isEmpty());
    if (!card.usable())
        return 0;

    QList<int> marks;
    for (const QString &step : card.steps) {
        const std::optional<int> mark = stepMark(step);
        check(mark.has_value() && *mark >= 0);
        check(kazoon::parseInteger(QString::number(*mark)) == mark);
        marks.append(*mark);
    }
    check(marks == card.marks);
    for (const QString &page : card.pages) {
        if (page.isEmpty())
            continue;
        for (const QString &line : page.split(QLatin1String("\r\n")))
            check(!stepMark(line).has_value());
    }

    const LyricsCard again = parseLyricsCard(serialise(card));
    check(again.steps == card.steps && again.marks == card.marks && again.pages == card.pages);
    checkMakerRoundTrip(card.pages);

    // A few positions taken from the input's last bytes, the ends, and the
    // marks themselves and their neighbours.
    QList<int> positions{0, 2147483646};
    for (int m : marks)
        positions << m - 2 << m - 1 << m;
    if (size >= 4)
        positions << int(std::uint32_t(data[size - 1]) | std::uint32_t(data[size - 2]) << 8
                         | std::uint32_t(data[size - 3]) << 16);
    const qsizetype n = marks.size();
    for (int p : positions) {
        if (p < 0)
            continue;
        const kazoon::player::StepDisplay display = kazoon::player::StepDisplay::showing(p + 1);
        const int page = pageForPosition(marks, display, p);
        check(page == pageForPosition(card.steps, display, p));
        check(page >= kEmptyPage && page < n);
        // Playing from the top, a position is never left without a choice.
        check(page != kKeepPage);
        check((page == kEmptyPage) == (std::int64_t(p) + 1 < marks.first()));
    }
    const int top = pageForPosition(marks, kazoon::player::StepDisplay::showing(0), 0);
    check(top == (marks.first() == 0 ? 0 : kEmptyPage));
    return 0;
}
