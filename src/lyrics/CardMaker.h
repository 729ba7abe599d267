#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace kazoon::lyrics {

// The card maker's model, without widgets: lyrics typed as pages separated by
// blank lines, the marks tapped while the song plays, and the card they make.

// Cuts typed or opened lyrics into pages: a blank line (nothing or only
// blanks) ends a page, several in a row count as one. Lines of a page are
// joined with CR LF, as the card reader gives them.
QStringList pagesFromText(const QString &text);

// The lyrics text of pages, as pagesFromText reads it back: pages separated
// by an empty line, lines by LF.
QString textFromPages(const QStringList &pages);

// A text line that the reader would take for a mark ("12", " +3", "xff") gets
// a blank after it, which the reader does not accept after a number and which
// the lyrics label does not show.
QString lineAsWritten(const QString &line);

// The page as the card reader will give it back: every line as written.
QString pageAsWritten(const QString &page);

// What stands in the way of a card, checked before it is written.
struct CardCheck {
    enum Problem { Ok, NoPages, FewerMarks, MoreMarks, NotRising, TooLarge };
    Problem problem = Ok;
    int index = -1; // the page whose mark is not above the one before (NotRising)
};
CardCheck checkCard(const QStringList &pages, const QList<int> &marks);

// The problem in a sentence for a box; empty for Ok.
QString cardProblemText(const CardCheck &check, int pages, int marks);

// The card's bytes: per page its mark, then its lines, every line ending in
// CR LF, in UTF-8 without a byte-order mark.
QByteArray cardBytes(const QStringList &pages, const QList<int> &marks);

// Where an existing card is kept before it is replaced. The lookup reads
// only "<song>.txt", so "<song>.txt.bak" is never taken for a card.
QString backupPath(const QString &cardPath);

// The marks tapped so far, in tap order: a tap appends, Undo takes back the
// last, and each mark can be set by hand or moved by a step. A new take (a
// play from the top) starts the list again: its first tap replaces every
// mark from the first page on, and Undo of that tap brings them back. Marks
// are never below 0, the smallest mark the card reader accepts.
class TapList {
public:
    void tap(int stepDisplay);
    // The next tap is the first of a new take.
    void startTake() { takeStarting_ = true; }
    // False when there was nothing to take back.
    bool undo();
    bool canUndo() const { return !undo_.isEmpty() || !marks_.isEmpty(); }
    // False (and nothing changed) for a row that does not exist or a value
    // below 0.
    bool setMark(int row, int value);
    // Moves a mark by delta steps, stopping at 0; false for no such row.
    bool nudge(int row, int delta);
    // Marks read from a card: no take, nothing to undo but the marks themselves.
    void setMarks(const QList<int> &marks);
    const QList<int> &marks() const { return marks_; }
    int count() const { return int(marks_.size()); }

private:
    QList<int> marks_;
    // Per tap, what Undo brings back: the marks a take's first tap replaced,
    // or nothing for a tap that appended.
    struct Tap {
        bool firstOfTake = false;
        QList<int> replaced;
    };
    QList<Tap> undo_;
    bool takeStarting_ = false;
};

} // namespace kazoon::lyrics
