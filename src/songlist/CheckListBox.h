#pragma once

#include <QListWidget>

namespace kazoon {

// The song list: one line per song whose check box is the medley mark.
// clicked() and clickCheck() report what the performer did (a click or a
// keyboard move of the selection; a toggled box by mouse or Space); changes
// made by the program through this class's setters report nothing.
class CheckListBox : public QListWidget {
    Q_OBJECT
public:
    explicit CheckListBox(QWidget *parent = nullptr);

    void addLine(const QString &text, bool checked = false);
    void clearLines();
    bool isChecked(int i) const;
    void setChecked(int i, bool checked);
    int itemIndex() const { return currentRow(); }
    void setItemIndex(int i);
    QString lineText(int i) const;
    // A short note drawn at the right of line i (a song's own key, tempo or
    // level); the line's text stays the file name.
    void setBadge(int i, const QString &badge);
    QString badge(int i) const;
    static constexpr int kBadgeRole = Qt::UserRole + 1;

signals:
    void clicked();
    void clickCheck();

private:
    int quiet_ = 0; // > 0 while the program itself changes the list
};

} // namespace kazoon
