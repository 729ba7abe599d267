#pragma once

#include <QList>
#include <QWidget>
#include <functional>

#include "lyrics/LyricsLabel.h"

class QAction;
class QToolBar;

namespace kazoon {

class Command;
class IniFile;

// What the lyrics card window needs of the main window.
struct LyricsWindowHooks {
    // Keys pressed here act as in the main window; keyDown is true when it
    // took the key.
    std::function<bool(QObject *sender, int key, Qt::KeyboardModifiers modifiers)> keyDown;
    std::function<void(QObject *sender, int key, Qt::KeyboardModifiers modifiers)> keyUp;
    std::function<void()> activated;
    // The player commands the window's four buttons belong to.
    Command *standby = nullptr, *play = nullptr, *stop = nullptr, *prev = nullptr;
    // The main window's actions; those with a short cut work here as well.
    QList<QAction *> actions;
    QString settingsPath;
    // The room for a page changed (the window's size, the font, the next
    // line shown or not); may be null.
    std::function<void()> roomChanged;
};

// The lyrics card window: a separate, sizeable window that shows the page of
// the current song position in large type. Its four player buttons belong to
// the main window's player commands, and every key pressed here acts as in
// the main window.
class TfrmWrd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultWidth = 621;
    static constexpr int kDefaultHeight = 168;

    explicit TfrmWrd(LyricsWindowHooks hooks);

    // The window's [Words] settings: position, size, state, font and colours.
    void readSettings(const IniFile &ini);
    void writeSettings(IniFile &ini) const;

    // Shows `text` in lblWrd, fitted to the window. The text it already
    // shows is left alone, so that the play timer's ticks never redraw or
    // lay out the label.
    void setLyrics(const QString &text);
    // The page shown, as the card holds it (lines joined with CR LF).
    const QString &lyrics() const { return lyrics_; }
    // The next page's first line, under the page in smaller, dimmer type
    // while the next line is shown.
    void setNextLine(const QString &line);
    const QString &nextLine() const { return nextLine_; }
    void setShowsNextLine(bool on);
    bool showsNextLine() const { return !lblNext->isHidden(); }
    // How many lines a page can have and still be shown whole in the chosen
    // font at the window's size (2 at least, so that a page is never a line).
    int linesThatFit();
    // The caption: "歌詞カード", followed by the card's file name while one is shown.
    void setCardName(const QString &cardName);
    // Makes the window visible and brings it to the front.
    void showCard();

    // Colours in their stored form (see app/Colors.h).
    int foreColor() const { return foreColor_; }
    void setForeColor(int value);
    int backColor() const { return backColor_; }
    void setBackColor(int value);

    QWidget *PanelWrd = nullptr;
    QToolBar *ToolBar = nullptr;
    QAction *ButtonSB = nullptr, *ButtonPlay = nullptr, *ButtonStop = nullptr,
            *ButtonPrev = nullptr;
    lyrics::LyricsLabel *lblWrd = nullptr;
    lyrics::LyricsLabel *lblNext = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fitNextLine();
    void setNextLineColor();

    LyricsWindowHooks hooks_;
    int foreColor_;
    int backColor_;
    QString lyrics_;
    QString nextLine_;
};

} // namespace kazoon
