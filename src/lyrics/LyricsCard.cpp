#include "lyrics/LyricsCard.h"

#include "app/ParseInt.h"
#include "app/TextFile.h"

#include <cstdint>

namespace kazoon::lyrics {

std::optional<int> stepMark(QStringView line)
{
    const std::optional<int> value = parseInteger(line);
    if (!value || *value < 0)
        return std::nullopt;
    return value;
}

LyricsCard parseLyricsCard(const QStringList &lines)
{
    LyricsCard card;
    if (lines.isEmpty() || !stepMark(lines.first()))
        return {};
    bool afterMark = false;
    const qsizetype n = lines.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QString &line = lines.at(i);
        if (const std::optional<int> mark = stepMark(line)) {
            // Two marks in a row leave a mark without a page: caught below.
            card.steps.append(line);
            card.marks.append(*mark);
            afterMark = true;
            if (i == n - 1)
                card.pages.append(QString());
        } else if (afterMark) {
            card.pages.append(line);
            afterMark = false;
        } else {
            QString &page = card.pages.last();
            page += QLatin1String("\r\n");
            page += line;
        }
    }
    if (card.steps.size() != card.pages.size())
        return {};
    return card;
}

LyricsCard parseLyricsCard(const QByteArray &bytes)
{
    return parseLyricsCard(splitLines(decodeText(bytes)));
}

LyricsCard readLyricsCard(const QString &path)
{
    const SmallFile file = readSmallFile(path, kMaxCardSize);
    if (file.status != SmallFile::Ok)
        return {};
    return parseLyricsCard(file.bytes);
}

namespace {

// The rules of the page choice over any sequence of mark values; a value
// that is not a number leaves the text as it is. Wide arithmetic, so that
// no mark value can overflow "mark - 1".
template <typename MarkAt>
int choosePage(qsizetype n, MarkAt markAt, player::StepDisplay stepDisplay, int position)
{
    if (n <= 0)
        return kKeepPage;
    const std::optional<int> first = markAt(0);
    if (!first)
        return kKeepPage;
    // A first mark 0 shows its page while the display still reads "0".
    if (*first == 0 && stepDisplay.shows(0))
        return 0;
    const std::optional<int> display = stepDisplay.step();
    if (!display)
        return kKeepPage;
    if (*display < *first)
        return kEmptyPage;
    const std::optional<int> last = n == 1 ? first : markAt(n - 1);
    if (!last)
        return kKeepPage;
    const std::int64_t p = position;
    if (p >= std::int64_t(*last) - 1)
        return int(n - 1);
    std::int64_t from = std::int64_t(*first) - 1;
    for (qsizetype i = 0; i + 1 < n; ++i) {
        const std::optional<int> next = markAt(i + 1);
        if (!next)
            return kKeepPage;
        const std::int64_t to = std::int64_t(*next) - 1;
        if (from <= p && p < to)
            return int(i);
        from = to;
    }
    // Marks out of order: no page claims the position.
    return kKeepPage;
}

} // namespace

int pageForPosition(const QStringList &steps, player::StepDisplay stepDisplay, int position)
{
    return choosePage(
        steps.size(), [&](qsizetype i) { return stepMark(steps.at(i)); }, stepDisplay, position);
}

int pageForPosition(const QList<int> &marks, player::StepDisplay stepDisplay, int position)
{
    return choosePage(
        marks.size(), [&](qsizetype i) { return std::optional<int>(marks.at(i)); }, stepDisplay,
        position);
}

QString cardName(const QString &songFileName)
{
    const QString name = songFileName.mid(songFileName.lastIndexOf(QLatin1Char('/')) + 1);
    // Count characters, stepping over surrogate pairs, so that no character
    // is ever cut in half.
    qsizetype end = name.size();
    for (int dropped = 0; dropped < 3; ++dropped) {
        if (end == 0)
            return name + QLatin1String("txt");
        --end;
        if (end > 0 && name.at(end).isLowSurrogate() && name.at(end - 1).isHighSurrogate())
            --end;
    }
    return name.left(end) + QLatin1String("txt");
}

CardLocation cardPathFor(const QString &songFileName, LyricsFolderRule rule,
                         const QString &lyricsFolder)
{
    if (rule != LyricsFolderRule::OwnFolder)
        return {songFileName.left(songFileName.lastIndexOf(QLatin1Char('/')) + 1)
                + cardName(songFileName)};
    QString folder = lyricsFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return {folder + cardName(songFileName), lyricsFolder.isEmpty()};
}

} // namespace kazoon::lyrics
