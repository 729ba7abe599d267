#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <functional>

#include "player/engine/SongAdjust.h"
#include "songlist/SongSettings.h"

namespace kazoon {

// What the dialog may do with the song it sets.
struct SongTrial {
    std::function<bool()> loaded;  // the song is the one loaded
    std::function<bool()> mayPlay; // the window's play command is on
    std::function<void(const engine::SongAdjust &)> apply; // to the loaded song, at once
    std::function<void()> play;    // through the window's own play command
};

// "曲の設定": the selected song's key, tempo and level, and its count-in
// and click. While the song is
// the loaded one, every change reaches the player at once (so it can be
// heard with 再生); キャンセル gives the song back what it had (the window does it).
class TfrmSong : public QDialog {
    Q_OBJECT
public:
    TfrmSong(SongTrial trial, const QString &songPath, const engine::SongAdjust &adjust, QWidget *parent = nullptr);

    engine::SongAdjust adjust() const;
    void setAdjust(const engine::SongAdjust &adjust);
    // The count shown: the song's own, or for a song without one the
    // options' default, which it keeps unless another count is chosen.
    void setCount(const songlist::SongCount &count, int defaultBars);
    songlist::SongCount count() const;

    QLabel *lblSong = nullptr;
    QSpinBox *spnKey = nullptr, *spnTempo = nullptr, *spnVolume = nullptr;
    QComboBox *cmbCount = nullptr;
    QCheckBox *chkClick = nullptr;
    QPushButton *cmdDefault = nullptr, *cmdPlay = nullptr, *OKBtn = nullptr, *CancelBtn = nullptr;

private:
    bool songLoaded() const;
    void changed();
    void play();

    SongTrial trial_;
    songlist::SongCount shownCount_; // as set, before the performer's choice
    int shownBars_ = 0;
};

} // namespace kazoon
