#include "lyrics/CardMaker.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "app/TextFile.h"
#include "lyrics/LyricsCard.h"

namespace kazoon::lyrics {

QStringList pagesFromText(const QString &text)
{
    QStringList pages;
    QString page;
    bool open = false;
    for (const QString &line : splitLines(text)) {
        if (line.trimmed().isEmpty()) {
            if (open)
                pages.append(page);
            page.clear();
            open = false;
            continue;
        }
        if (open)
            page += QLatin1String("\r\n");
        page += line;
        open = true;
    }
    if (open)
        pages.append(page);
    return pages;
}

QString textFromPages(const QStringList &pages)
{
    QStringList parts;
    for (const QString &page : pages) {
        QString p = page;
        p.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        parts.append(p);
    }
    return parts.join(QLatin1String("\n\n"));
}

QString lineAsWritten(const QString &line)
{
    return stepMark(line) ? line + QLatin1Char(' ') : line;
}

QString pageAsWritten(const QString &page)
{
    // Any line end inside a page becomes CR LF, so that no line of it can
    // hide from the check as part of another.
    QString text = page;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = lineAsWritten(line);
    return lines.join(QLatin1String("\r\n"));
}

namespace {

QString cardText(const QStringList &pages, const QList<int> &marks)
{
    QString text;
    const qsizetype n = std::min(pages.size(), marks.size());
    for (qsizetype i = 0; i < n; ++i) {
        text += QString::number(marks.at(i));
        text += QLatin1String("\r\n");
        // An empty page still needs a line of its own: a mark straight after
        // a mark would spoil the card.
        text += pageAsWritten(pages.at(i));
        text += QLatin1String("\r\n");
    }
    return text;
}

} // namespace

CardCheck checkCard(const QStringList &pages, const QList<int> &marks)
{
    if (pages.isEmpty())
        return {CardCheck::NoPages};
    if (marks.size() < pages.size())
        return {CardCheck::FewerMarks};
    if (marks.size() > pages.size())
        return {CardCheck::MoreMarks};
    // A page whose mark is not above the one before it would never be shown.
    for (qsizetype i = 1; i < marks.size(); ++i)
        if (marks.at(i) <= marks.at(i - 1))
            return {CardCheck::NotRising, int(i)};
    if (cardBytes(pages, marks).size() > kMaxCardSize)
        return {CardCheck::TooLarge};
    return {};
}

QString cardProblemText(const CardCheck &check, int pages, int marks)
{
    switch (check.problem) {
    case CardCheck::Ok:
        return QString();
    case CardCheck::NoPages:
        return QStringLiteral("歌詞が入力されていません。");
    case CardCheck::FewerMarks:
    case CardCheck::MoreMarks:
        return QStringLiteral("ページ数 (%1) と記録したステップの数 (%2) が合いません。\r\n"
                              "ページごとに一つずつステップを記録してください。")
            .arg(pages)
            .arg(marks);
    case CardCheck::NotRising:
        return QStringLiteral("%1ページ目のステップが前のページのステップより大きくありません。\r\n"
                              "このページは表示されません。ステップを直してください。")
            .arg(check.index + 1);
    case CardCheck::TooLarge:
        return QStringLiteral("歌詞が長すぎます。歌詞カードは1MBまでです。");
    }
    return QString();
}

QByteArray cardBytes(const QStringList &pages, const QList<int> &marks)
{
    return cardText(pages, marks).toUtf8();
}

QString backupPath(const QString &cardPath)
{
    return cardPath + QLatin1String(".bak");
}

void TapList::tap(int stepDisplay)
{
    Tap done;
    if (std::exchange(takeStarting_, false)) {
        done.firstOfTake = true;
        done.replaced = std::exchange(marks_, {});
    }
    marks_.append(std::max(stepDisplay, 0));
    undo_.append(std::move(done));
}

bool TapList::undo()
{
    if (undo_.isEmpty()) {
        // Marks read from a card go one by one, as before any tap.
        if (marks_.isEmpty())
            return false;
        marks_.removeLast();
        return true;
    }
    Tap last = undo_.takeLast();
    if (last.firstOfTake) {
        // The take stands at its start again: its next tap replaces once more.
        marks_ = std::move(last.replaced);
        takeStarting_ = true;
    } else if (!marks_.isEmpty()) {
        marks_.removeLast();
    }
    return true;
}

bool TapList::setMark(int row, int value)
{
    if (row < 0 || row >= marks_.size() || value < 0)
        return false;
    marks_[row] = value;
    return true;
}

bool TapList::nudge(int row, int delta)
{
    if (row < 0 || row >= marks_.size())
        return false;
    const qint64 moved = qint64(marks_.at(row)) + delta;
    marks_[row] = int(std::clamp<qint64>(moved, 0, std::numeric_limits<int>::max()));
    return true;
}

void TapList::setMarks(const QList<int> &marks)
{
    marks_.clear();
    for (int m : marks)
        marks_.append(std::max(m, 0));
    undo_.clear();
    takeStarting_ = false;
}

} // namespace kazoon::lyrics
