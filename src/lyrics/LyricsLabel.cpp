#include "lyrics/LyricsLabel.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStringList>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>

namespace kazoon::lyrics {

namespace {

// As the label itself lays out plain text.
constexpr int kFlags = Qt::AlignCenter | Qt::TextExpandTabs | Qt::TextWordWrap;

QFont atPixelSize(const QFont &chosen, int px)
{
    QFont font = chosen;
    font.setPixelSize(px);
    return font;
}

bool fitsIn(const QString &text, const QFont &font, QSize area, const QPaintDevice *device)
{
    const QRect laid = QFontMetrics(font, device).boundingRect(QRect(QPoint(0, 0), area), kFlags, text);
    return laid.width() <= area.width() && laid.height() <= area.height();
}

// The start of a page that an area can show at most: no more lines than fit
// in its height at the smallest size, none longer than its width holds in
// glyphs two pixels wide. `whole` says whether that is the whole page.
QStringList pageStart(const QString &page, int maxLines, qsizetype maxChars, bool *whole)
{
    QStringList lines;
    *whole = true;
    qsizetype pos = 0;
    for (;;) {
        if (lines.size() == maxLines) {
            *whole = false;
            break;
        }
        const QStringView rest = QStringView(page).mid(pos, maxChars + 1);
        const qsizetype newline = rest.indexOf(QLatin1Char('\n'));
        const qsizetype length = newline < 0 ? rest.size() : newline;
        if (length > maxChars) {
            qsizetype cut = maxChars;
            if (cut > 0 && rest.at(cut).isLowSurrogate() && rest.at(cut - 1).isHighSurrogate())
                --cut; // never half a character
            lines.append(rest.left(cut).toString());
            *whole = false;
            break;
        }
        lines.append(rest.left(length).toString());
        if (newline < 0)
            break;
        pos += newline + 1;
    }
    return lines;
}

// The lines as the smallest size wraps them, breaking a word too long for a
// line anywhere, up to one more than can show.
QStringList wrapAnywhere(const QStringList &paragraphs, const QFont &font, int width, int maxLines,
                         const QPaintDevice *device)
{
    QStringList lines;
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString &paragraph : paragraphs) {
        QTextLayout layout(paragraph, font, const_cast<QPaintDevice *>(device));
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString text = paragraph.mid(line.textStart(), line.textLength());
            while (!text.isEmpty() && text.back().isSpace())
                text.chop(1);
            lines.append(text);
            if (lines.size() > maxLines)
                break;
        }
        layout.endLayout();
        if (lines.size() > maxLines)
            break;
    }
    return lines;
}

} // namespace

LyricsFit fitLyrics(const QString &page, const QFont &chosen, QSize area, const QPaintDevice *device)
{
    LyricsFit fit;
    fit.font = chosen;
    const int chosenPx = QFontInfo(chosen).pixelSize();
    QFont smallestFont = chosen;
    smallestFont.setPointSizeF(kSmallestLyricsPointSize);
    const int smallestPx = std::max(1, std::min(QFontInfo(smallestFont).pixelSize(), chosenPx));

    if (area.width() <= 0 || area.height() <= 0) {
        // Nothing shows; the page is fitted again when the label has a size.
        fit.font = atPixelSize(chosen, smallestPx);
        fit.asChosen = false;
        fit.cut = !page.isEmpty();
        return fit;
    }

    const QFont smallest = atPixelSize(chosen, smallestPx);
    const int lineHeight = std::max(1, QFontMetrics(smallest, device).height());
    const int maxLines = area.height() / lineHeight + 1;
    const qsizetype maxChars = qsizetype(maxLines) * (area.width() / 2 + 1);
    bool whole = true;
    const QStringList start = pageStart(page, maxLines, maxChars, &whole);

    if (whole) {
        if (fitsIn(page, chosen, area, device)) {
            fit.text = page;
            return fit;
        }
        fit.asChosen = false;
        // The largest size that holds the whole page.
        int lo = smallestPx, hi = chosenPx - 1, best = 0;
        while (lo <= hi) {
            const int mid = lo + (hi - lo) / 2;
            if (fitsIn(page, atPixelSize(chosen, mid), area, device)) {
                best = mid;
                lo = mid + 1;
            } else {
                hi = mid - 1;
            }
        }
        if (best > 0) {
            fit.font = atPixelSize(chosen, best);
            fit.text = page;
            return fit;
        }
    }

    // Not even the smallest size holds it: its first lines, and the mark.
    fit.asChosen = false;
    fit.font = smallest;
    QStringList lines = wrapAnywhere(start, smallest, area.width(), maxLines, device);
    qsizetype shown = std::min<qsizetype>(lines.size(), maxLines);
    while (shown > 1 && !fitsIn(QStringList(lines.mid(0, shown)).join(QLatin1Char('\n')), smallest, area, device))
        --shown;
    fit.cut = !whole || shown < lines.size();
    lines = lines.mid(0, shown);
    if (fit.cut && !lines.isEmpty()) {
        const QFontMetrics metrics(smallest, device);
        const int room = area.width() - metrics.horizontalAdvance(kGoesOn);
        QString last = metrics.elidedText(lines.last(), Qt::ElideRight, std::max(0, room));
        if (!last.endsWith(kGoesOn))
            last += kGoesOn;
        lines.last() = last;
    }
    fit.text = lines.join(QLatin1Char('\n'));
    return fit;
}

int linesThatFit(const QFont &font, QSize area, const QPaintDevice *device)
{
    if (area.width() <= 0 || area.height() <= 0)
        return 0;
    // Each line one character: the width never wraps it.
    const int lineSpacing = std::max(1, QFontMetrics(font, device).lineSpacing());
    const int most = area.height() / lineSpacing + 1;
    QString lines = QStringLiteral("\u3042");
    int n = 0;
    while (n < most && fitsIn(lines, font, QSize(1 << 20, area.height()), device)) {
        ++n;
        lines += QStringLiteral("\n\u3042");
    }
    return n;
}

LyricsLabel::LyricsLabel(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    // Lyrics are shown as written, never as markup.
    setTextFormat(Qt::PlainText);
}

void LyricsLabel::setPage(const QString &page)
{
    setText(page);
    refit();
}

QSize LyricsLabel::sizeHint() const
{
    return QSize(fontMetrics().averageCharWidth() * 10, fontMetrics().height());
}

QSize LyricsLabel::minimumSizeHint() const
{
    return QSize(0, 0);
}

void LyricsLabel::refit()
{
    fit_ = fitLyrics(text(), font(), contentsRect().size(), this);
    update();
}

void LyricsLabel::paintEvent(QPaintEvent *event)
{
    if (fit_.asChosen) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setFont(fit_.font);
    style()->drawItemText(&painter, contentsRect(), kFlags, palette(), isEnabled(), fit_.text,
                          foregroundRole());
}

void LyricsLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    refit();
    emit roomChanged();
}

void LyricsLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        refit();
        emit roomChanged();
    }
}

} // namespace kazoon::lyrics
