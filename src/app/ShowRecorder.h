#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "player/SetClock.h"

class QLabel;

namespace kazoon {

// The list as the window shows it now, as the show's state file keeps it.
struct ShowSnapshot {
    QString listPath;    // empty for a new list
    bool modified = false;
    QStringList entries; // the path entries with their marks ("1 /path")
    int songIndex = 0;   // the song loaded or waiting
};

// What the show recorder asks of the window whose show it keeps.
struct ShowHost {
    std::function<ShowSnapshot()> snapshot;
    // The last song of the list repeats (its medley mark).
    std::function<bool()> lastSongRepeats;
    // Song i's tempo as it is heard, in percent.
    std::function<int(int song)> tempoPercent;
    // Where the loaded song stands, in steps; 0 when none is loaded.
    std::function<std::int64_t()> position;
    // The program is ending after an error: nothing more is written.
    std::function<bool()> closing;
    // A modal box; returns the answer (as TfrmMain::showMessage).
    std::function<int(const QString &text, const QString &caption, int flags)> showMessage;
    // Opens these path entries as the list, song `index` waiting, as a list
    // opened from a file (`modified`: with changes never saved).
    std::function<void(const QString &listPath, const QStringList &lines, int index, bool modified)>
        reopen;
};

// The show's state file, so that a crash does not lose the show, and the set
// clock (time since the show's first Enter, time left in the set).
class ShowRecorder {
public:
    // The clock's labels belong to the window's layout.
    ShowRecorder(ShowHost host, QString settingsPath, QLabel *elapsed, QLabel *timeLeft);
    ~ShowRecorder();
    ShowRecorder(const ShowRecorder &) = delete;
    ShowRecorder &operator=(const ShowRecorder &) = delete;

    // The show changed (list, marks, song, save): its state file is written
    // once the running handler is done, never on the position timer.
    void changed();
    void save();
    // At a clean close: the show ended, its state file goes.
    void ended();
    // At start: offers to reopen the show that a crash left behind.
    void offerRestore();

    // A new show (a list opened or made): the clock waits for its first Enter.
    void resetClock();
    void startClock(); // the first Enter of the show
    void refreshClock();
    // The set's last song has ended (true) or a song of the show started again.
    void setSetOver(bool over);
    bool setOver() const { return setOver_; }
    qint64 startedMs() const { return startedMs_; }

    // The wall clock, ms since the epoch; tests set their own.
    void setClock(std::function<qint64()> now) { now_ = std::move(now); }
    player::SongLengths &songLengths() { return songLengths_; }
    QLabel *elapsedLabel() const { return elapsed_; }
    QLabel *timeLeftLabel() const { return timeLeft_; }

private:
    ShowHost host_;
    QString settingsPath_;
    QLabel *elapsed_, *timeLeft_;
    player::SongLengths songLengths_;
    QTimer saveTimer_, clockTimer_;
    std::function<qint64()> now_;
    qint64 startedMs_ = 0; // the first Enter; 0 before it
    bool setOver_ = false; // the last song has ended; no song started since
    bool written_ = false; // this run has kept a state file
    bool ended_ = false;   // the clean close has removed it
};

} // namespace kazoon
