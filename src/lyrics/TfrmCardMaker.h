#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "lyrics/CardMaker.h"
#include "lyrics/LyricsCard.h"
#include "player/PlayerRules.h"
#include "player/StepDisplay.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace kazoon {

class SequencerDevice;
class UiDialogs;

// What the card maker needs of the main window.
struct CardMakerHooks {
    SequencerDevice *device = nullptr;
    UiDialogs *dialogs = nullptr;
    std::function<int(const QString &text, const QString &caption, int flags)> showMessage;
    // The player's check after a device command (tells the performer why).
    std::function<player::DeviceCheck()> checkDevice;
    // A card was written: the lyrics window reads it again.
    std::function<void()> cardSaved;
    // A file dialog opens (true) or closes (false) over the program.
    std::function<void(bool open)> fileDialog;
    // The card made from the lyrics the song carries; unusable when it has none.
    std::function<lyrics::LyricsCard()> songLyrics;
};

// Makes the loaded song's lyrics card: the lyrics typed or opened as pages,
// the song played here, and the start of each page tapped with the next-page
// button or the space bar. The song plays on the device directly, without
// asking to hear of its end, so that the main window's list never moves on;
// when the dialog closes the device stands where the main window left it.
class TfrmCardMaker : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCardMaker(CardMakerHooks hooks, QWidget *parent = nullptr);

    // Takes the song (and its card at `card`, when it has a usable one) and
    // shows the dialog modally through the main window's dialog seam.
    int make(const QString &songFileName, const lyrics::CardLocation &card);

    // Where the card of the song is written.
    QString cardPath() const { return cardPath_; }
    QStringList pages() const;
    const QList<int> &marks() const { return taps_.marks(); }
    bool isPlaying() const { return playing_; }
    // The row shown in bold as the page of the song's position; kEmptyPage
    // for none.
    int currentPage() const;

    void cmdPlayClick();
    void cmdStopClick();
    void cmdPrevClick();
    // Records the step the song stands at this moment as the next page's start.
    void cmdNextClick();
    void cmdUndoClick();
    void cmdPlusClick() { nudgeSelected(1); }
    void cmdMinusClick() { nudgeSelected(-1); }
    void cmdOpenTextClick();
    // Fills the lyrics and the marks from the lyrics the song carries.
    void cmdSongLyricsClick();
    // True when the card was written.
    bool cmdSaveClick();
    void cmdCloseClick();
    // The 50 ms display of the step and the end of the song.
    void tick();

    QLabel *lblSong = nullptr, *lblStep = nullptr;
    QPlainTextEdit *memLyrics = nullptr;
    QTableWidget *grdMarks = nullptr;
    QPushButton *cmdOpenText = nullptr, *cmdSongLyrics = nullptr, *cmdPlay = nullptr, *cmdStop = nullptr, *cmdPrev = nullptr,
                *cmdNext = nullptr, *cmdUndo = nullptr, *cmdMinus = nullptr, *cmdPlus = nullptr,
                *cmdSave = nullptr, *cmdClose = nullptr;
    QTimer tickTimer;

public slots:
    // Esc stops a playing song first; otherwise it closes as 閉じる does,
    // after a question when something is not saved.
    void reject() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // After a device command: false when it failed (the main window has told
    // the performer why); a failure other than a busy port closes the dialog.
    bool deviceOk();
    // Asks before unsaved lyrics or marks are dropped; true to close.
    bool mayClose();
    void restore();
    void setPlaying(bool on);
    void refreshMarks();
    void markEdited(int row, int column);
    void nudgeSelected(int delta);
    void showStep();
    void showCurrentPage();

    SequencerDevice &device() const { return *hooks_.device; }

    CardMakerHooks hooks_;
    QString songFileName_, cardPath_;
    lyrics::TapList taps_;
    bool playing_ = false;
    bool refreshing_ = false;
    bool restored_ = false;
    bool changed_ = false; // lyrics or marks not saved yet
    bool noLyricsFolder_ = false; // cards go to a lyrics folder not chosen yet
    player::StepDisplay step_ = player::StepDisplay::at(0);
    std::int64_t mainPosition_ = 0; // where the main window left the song
};

} // namespace kazoon
