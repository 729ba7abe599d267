#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kazoon {

// Where the show stands, as the band reads it.
enum class StageState { NoSong, Waiting, StandingBy, Playing, Stopped };

// The state for the player panel's state; `atTop`: the loaded song stands at
// its beginning.
StageState stageStateOf(int playerState, bool playing, bool atTop);
// "待機中", "スタンバイ中", "再生中", "停止中"; "曲がありません" without a song.
QString stageStateText(StageState state);

// A song as the band reads it: its line in the list without the file's
// extension.
QString stageSongTitle(const QString &line);

struct StageSong {
    QString title;
    bool medley = false; // runs straight on into the next song
    bool operator==(const StageSong &) const = default;
};

// What the band view's page and the stage view show, built from the show on
// the UI thread. Both are drawn from this one value, so they never disagree.
struct StageContent {
    QString current;  // the song loaded or waiting
    QString next;     // the song after it; empty at the end of the set
    bool medley = false;
    StageState state = StageState::NoSong;
    QString timeLeft; // the set clock's time left ("残り 12分30秒")
    QList<StageSong> songs;
    int index = -1;   // the current song in `songs`; -1 without a list
    QString lyrics;   // the lyrics card page shown, lines split by LF
    QString nextLine; // the line after the page, when the lyrics window shows one

    bool operator==(const StageContent &) const = default;

    // One compact JSON object, as the page reads it.
    QByteArray toJson() const;
};

} // namespace kazoon
