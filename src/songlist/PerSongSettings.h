#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "songlist/SongSettings.h"

class QLabel;
class QWidget;

namespace kazoon {

class UiDialogs;

// What the per-song settings ask of the window that shows the list and
// plays its songs.
struct SongSettingsHost {
    // The list's songs, in order, by their full paths.
    std::function<QStringList()> songPaths;
    // The loaded song's path; empty while none is loaded.
    std::function<QString()> loadedSong;
    // The play command is on now.
    std::function<bool()> mayPlay;
    // Plays the loaded song through the window's own play command.
    std::function<void()> play;
    // Gives the loaded song these settings on the player; what the player
    // plays with now, or nothing when no song is loaded.
    std::function<std::optional<engine::SongAdjust>(const engine::SongAdjust &)> applyToPlayer;
    // What the player plays the loaded song with now.
    std::function<engine::SongAdjust()> playerAdjust;
    // The count-in bars of songs without their own (null: none).
    std::function<int()> defaultCountBars;
    // Gives the loaded song its click over the song (null: nothing to do).
    std::function<void(bool clickDuringSong)> applyClick;
    // The list has changes to save.
    std::function<void()> listChanged;
    // The badge of row i of the list, and how many rows it has.
    std::function<int()> listRows;
    std::function<void(int row, const QString &badge)> setBadge;
    // A modal box; returns the answer.
    std::function<int(const QString &text, const QString &caption, int flags)> showMessage;
};

// Each song's own key, tempo and level: the dialog, the badges of the list,
// the panel's label and the file beside the song list.
class PerSongSettings {
public:
    // The panel label belongs to the window's layout; the dialog opens over
    // `dialogParent` through `dialogs`.
    PerSongSettings(SongSettingsHost host, UiDialogs *dialogs, QLabel *panelLabel, QWidget *dialogParent);

    const songlist::SongSettings &settings() const { return settings_; }
    // The settings file read or written last, when sound.
    const QString &file() const { return file_; }
    QLabel *panelLabel() const { return label_; }

    // The dialog for this song (曲の設定).
    void edit(const QString &songPath);
    // Gives the loaded song these settings on the player and shows them.
    void apply(const engine::SongAdjust &adjust);
    // Gives the song just loaded its stored settings.
    void applyStored(const QString &songPath);
    // The count-in bars before the song, its own or the default.
    int countBars(const QString &songPath) const;
    // The settings at a glance beside each song of the list.
    void show();
    // No song loaded: the panel shows no settings.
    void clearPanel();
    // Reads the settings file beside a list just opened (its songs are the host's).
    void load(const QString &listPath);
    // Writes it beside the list saved; the reason in Japanese on failure.
    QString save(const QString &listPath);

private:
    bool isLoaded(const QString &songPath) const;

    SongSettingsHost host_;
    UiDialogs *dialogs_;
    QLabel *label_;
    QWidget *dialogParent_;
    songlist::SongSettings settings_; // by song path
    QString file_;
};

} // namespace kazoon
