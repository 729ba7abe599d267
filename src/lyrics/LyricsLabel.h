#pragma once

#include <QFont>
#include <QLabel>
#include <QSize>
#include <QString>

class QPaintDevice;

namespace kazoon::lyrics {

// The smallest type a page is shrunk to, in points, unless the chosen size is
// smaller still: about as small as lyrics stay readable from a stage.
constexpr qreal kSmallestLyricsPointSize = 12;

// The mark at the end of a page cut short: the page goes on.
inline const QString kGoesOn = QStringLiteral("…");

// How a page is shown in an area.
struct LyricsFit {
    QFont font;       // never larger than the chosen font
    QString text;     // what is drawn: the page, or its first lines and kGoesOn
    bool asChosen = true; // the page fits whole in the chosen font
    bool cut = false;     // only the start of the page is shown
};

// Fits a page (lines separated by LF) into an area of the given size: in the
// chosen font when it fits there; else in the largest smaller size in which
// it fits whole, down to kSmallestLyricsPointSize; else in that size, cut
// after the lines that fit. Only as much of the page as such an area can
// show is ever laid out, so a page of any length costs about the same.
LyricsFit fitLyrics(const QString &page, const QFont &chosen, QSize area,
                    const QPaintDevice *device = nullptr);

// How many short lines (too short to wrap) the label lays out whole in an
// area of this height in this font; 0 when not even one.
int linesThatFit(const QFont &font, QSize area, const QPaintDevice *device = nullptr);

// The lyrics label: its font is the chosen lyrics font, as the settings
// keep it, and its text the whole page (which a screen reader reads); what
// it draws is the page fitted to the label as it is now.
class LyricsLabel : public QLabel {
    Q_OBJECT
public:
    explicit LyricsLabel(QWidget *parent = nullptr);

    // Takes a page and fits it.
    void setPage(const QString &page);
    const LyricsFit &fit() const { return fit_; }

    // The window gives the label its size; a page never asks for more.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return false; }
    int heightForWidth(int) const override { return -1; }

signals:
    // The label's size or chosen font changed: the room for a page did.
    void roomChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void refit();

    LyricsFit fit_;
};

} // namespace kazoon::lyrics
