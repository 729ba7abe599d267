#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "app/AppTitle.h"
#include "app/Environment.h"
#include "options/LiveSettings.h"
#include "player/PlayerState.h"
#include "player/StepDisplay.h"

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QToolBar;

namespace kazoon {

class CheckListBox;
class Command;
class TrackBar;
class TfrmWrdDir;
class TfrmOption;
class TfrmSelect;
class TfrmWrd;
class TfrmAbout;
struct EditedList;
struct OptionsChange;
class MidiRemote;
class PerSongSettings;
struct SongSettingsHost;
class ShowRecorder;
struct ShowHost;
class RemoteBindings;
struct RemoteHost;
namespace lyrics {
class LyricsPages;
}
class ScreenAwake;

// A hidden list of lines with a current index, as the main window keeps its
// path entries (lstDmy) and the lyrics pages (lstWrd, lstStep).
struct LineList {
    QStringList items;
    int itemIndex = -1;
    int count() const { return int(items.size()); }
};

// The main window: the song list, the player panel and every command of the
// program. Its handlers are spread over the folders of the subsystems they
// belong to (app/, songlist/, player/, lyrics/, options/).
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(const Environment &env, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The other five windows, created after this one (see createWindows).
    void attachWindows(TfrmWrdDir *wrdDir, TfrmOption *option, TfrmSelect *select, TfrmWrd *wrd,
                       TfrmAbout *about);

    const Environment &env() const { return env_; }
    UiDialogs &dialogs() const { return *env_.dialogs; }
    SequencerDevice &Player() const { return *env_.device; }

    // Shows a modal box with msgBoxOpen set around it; returns the answer.
    int showMessage(const QString &text, const QString &caption, int flags);

    void FormActivate();
    void FormDestroy();
    void writeSettings();
    // Shows an exception that escaped an event handler, then ends the program
    // without the save question and without writing the settings.
    void AppException(const QString &message);
    bool terminating() const { return terminating_; }

    // The save question before Open, New and close: true to go on.
    bool confirmDiscardChanges();
    void mnuOpenItemClick();
    void mnuOverItemClick();
    void lstLiveClick();
    // Sets the medley mark of song i in both places it lives: the path entry
    // (lstDmy) and the check box of the list (lstLive).
    void setSongMark(int i, bool marked);
    // The full path of song i; empty when there is no such song.
    QString songPath(int i) const;
    void mnuNewItemClick();
    void mnuMenuItemClick();
    bool isNewList() const { return windowTitle() == kNewListCaption; }

    // --- each song's key, tempo and level (songlist/PerSongSettings.h) ---
    PerSongSettings &songSettings() const { return *songSettings_; }

    // --- command states that change together (app/CommandStates.cpp) ---
    // The commands that come on once a song list is loaded (by open or the
    // editor's OK).
    void afterListLoaded();
    // The two bulk mark commands for these marks; both off below two songs.
    void setBulkMarkCommands(const QList<bool> &marks);

    // --- loading, transport, QS mode, lesson, keys (player/) ---
    void LoadSelectedSong();
    void CheckPlayerError();
    void ButtonPlayClick();
    void ButtonStopClick();
    void ButtonPrevClick();
    void PlayTimerTimer();
    void TrackBarChange();
    void LagTimerTimer();
    void mnuQsItemClick();
    void ButtonQsClick() { mnuQsItemClick(); }
    void ButtonSBClick();
    // The lesson command's own toggle (menu item and tool button).
    void mnuLsnItemClick();
    // Called from elsewhere with its control as the sender (the options' OK
    // when the lesson permission is withdrawn): leaves lesson mode when it is
    // on and never enters it.
    void mnuLsnItemClick(QObject *sender);
    void ButtonSflgClick();
    void ButtonEflgClick();
    // Returns true when the key is swallowed. `sender` is the control the key
    // came to (the window, lstLive, TrackBar or the lyrics card window).
    bool FormKeyDown(QObject *sender, int key, Qt::KeyboardModifiers modifiers);
    void FormKeyUp(QObject *sender, int key, Qt::KeyboardModifiers modifiers);

    // --- the show's state file and the set clock (app/ShowRecorder.h) ---
    ShowRecorder &showRecorder() const { return *showRecorder_; }

    // --- the MIDI remote (remote/) ---
    MidiRemote &remote() const { return *remote_; }

    // --- lyrics card (lyrics/) ---
    void mnuWrdItemClick(QObject *sender);
    void ButtonWrdClick() { mnuWrdItemClick(nullptr); }
    void mnuWrdEditItemClick();
    void ShowLyricsCard();
    void UpdateLyricsPage();
    // The card maker for the loaded song (編集 menu); not while a song plays.
    void mnuCardItemClick();
    // Where the lyrics window's pages come from, and the page and next line
    // it shows (pageChanged tells of each change).
    lyrics::LyricsPages &lyricsPages() const { return *lyricsPages_; }

    // --- options (app/OptionCommands.cpp) ---
    void mnuOptionItemClick();
    // The options as they stand now.
    LiveSettings liveSettings() const { return LiveSettings(frmOption); }

    // Shared state fields.
    QString listFileName;
    bool listModified = false;
    bool saveCancelled = false;
    bool msgBoxOpen = false;
    bool fileDialogOpen = false;
    int songIndex = 0;
    QString songFileName;
    bool songLoaded = false;
    int playerState = NoSong;
    bool playing = false;
    bool medleyContinuation = false;
    bool runningOn = false; // a marked song's follower is starting: no count-in
    bool portInUse = false;
    bool medleyButtonLocked = false;
    bool clearButtonLocked = false;
    int standbyPosition = 0;
    bool lessonMode = false;
    bool qsSuspendedByLesson = false;
    bool showStepOneAtZero = false;
    player::StepDisplay stepDisplay; // what lblStep shows
    bool startFlagAtStepOne = false;
    bool lyricsLookedUp = false;
    bool lyricsMissing = false;
    int playTimerTag = 0; // PlayTimer's Tag: 1 marks the timer's own position change

    // Controls. Menu items and tool buttons are QActions named as the
    // controls they stand for (mnuPlayItem, ButtonPlay, ...).
    QMenu *mnuFile = nullptr, *mnuEdit = nullptr, *mnuSet = nullptr, *mnuPlayer = nullptr,
          *mnuHelp = nullptr;
    QToolBar *ToolBar = nullptr, *ToolBarPlayer = nullptr;
    CheckListBox *lstLive = nullptr;
    TrackBar *trackBar = nullptr; // object name "TrackBar"
    QStatusBar *statusBar_ = nullptr;
    QLabel *statusPanel0 = nullptr, *statusPanel1 = nullptr;
    QLabel *lblInfo = nullptr, *lblStep = nullptr;
    LineList lstDmy, lstWrd, lstStep;
    // The values of lstStep's marks, so that the play timer's page choice
    // reads no text.
    QList<int> lstStepMarks;
    QTimer PlayTimer, LagTimer;

    // Commands (menu item + tool button, player commands also the lyrics card
    // window's button).
    Command *cmdNew = nullptr, *cmdOpen = nullptr, *cmdSave = nullptr, *cmdEdit = nullptr,
            *cmdMedley = nullptr, *cmdClear = nullptr, *cmdQs = nullptr, *cmdWrd = nullptr,
            *cmdWrdEdit = nullptr, *cmdLesson = nullptr, *cmdSflg = nullptr, *cmdEflg = nullptr,
            *cmdHelp = nullptr;
    Command *cmdSB = nullptr, *cmdPlay = nullptr, *cmdStop = nullptr, *cmdPrev = nullptr;
    // Menu items without a tool button of their own.
    QAction *mnuSongItem = nullptr;
    QAction *mnuOverItem = nullptr, *mnuSaveItem = nullptr, *mnuExitItem = nullptr,
            *mnuOptionItem = nullptr, *mnuHPItem = nullptr, *mnuAboutItem = nullptr;

    // Looks up a menu item or tool button by its name ("mnuPlayItem", "ButtonPlay").
    QAction *action(const QString &name) const;

    TfrmWrdDir *frmWrdDir = nullptr;
    TfrmOption *frmOption = nullptr;
    TfrmSelect *frmSelect = nullptr;
    TfrmWrd *frmWrd = nullptr;
    TfrmAbout *frmAbout = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    // Handlers and steps that only the window's own code runs.
    // --- start-up, lifecycle, help (app/) ---
    void FormCreate();
    void OpenDialogShow() { fileDialogOpen = true; }
    void OpenDialogClose() { fileDialogOpen = false; }
    bool FormCloseQuery();
    void FormClose();
    void mnuExitItemClick();
    void mnuHelpItemClick();
    void mnuHPItemClick();
    void mnuAboutItemClick();
    // --- song list file, list view and medley marks, editor (songlist/) ---
    int AskSaveChanges();
    void mnuSaveItemClick();
    void ButtonSaveClick();
    void lstLiveClickCheck();
    void mnuMedleyItemClick();
    void mnuClearItemClick();
    void setListHint(int i);
    // Shows these path entries as the list (empty fileName: a new list) with
    // song `index` loaded and waiting.
    void showList(const QString &fileName, const QStringList &lines, int index);
    // The commands that replace, change or save the song list, and the list
    // itself: off while a song plays, on again after.
    void setListCommands(bool on);
    // The lock of lesson mode: the list and the commands that replace, change
    // or save it stay off, while the settings menu (to leave the mode) and
    // the version stay on. Off gives everything back.
    void setLessonCommands(bool on);
    void ReportLoadFailure();
    void ShowInfoMessage();
    void EnterPlayingState();
    void LeavePlayingState();
    void UpdateFlagButtons();
    void PlayerNotify();
    void ResetLyricsCard();
    void hideLyricsWindow();
    void buildLyricsPages(); // (lyrics/LyricsCommands.cpp)
    void buildLayout();
    // Shows the list the editor made in place of the song list, unmarked and
    // changed, with its first song loaded.
    void showEditedList(const EditedList &list);
    // Carries out what the options dialog's OK changed (the output is
    // already switched).
    void applyOptions(const OptionsChange &change);
    void applyRemoteBindings(const RemoteBindings &next);
    void buildMenusAndToolBars();

    // The window's side of the MIDI remote (app/RemoteCommands.cpp).
    RemoteHost remoteHost();
    // A box, a file dialog or one of the program's dialogs is open.
    bool programDialogOpen() const;
    // Silences every channel of the output, at any moment (player/PanicCommand.cpp).
    void mnuPanicItemClick();
    // The key as if pressed and let go on the window.
    void runKey(int key);

    // The window's side of the per-song settings: their menu item and the
    // list's context menu, and what they ask of the window
    // (app/SongSettingsCommands.cpp).
    void buildSongSettingsCommands();
    SongSettingsHost songSettingsHost();
    void armCountIn();
    // The window's side of the show recorder (app/ShowRecovery.cpp).
    ShowHost showHost();

    Environment env_;
    std::map<QString, QAction *> actions_;
    bool destroyed_ = false;
    bool terminating_ = false; // AppException has ended the program
    bool activating_ = false;  // FormActivate is running
    std::unique_ptr<MidiRemote> remote_;
    std::unique_ptr<ShowRecorder> showRecorder_;
    std::unique_ptr<PerSongSettings> songSettings_;
    std::unique_ptr<lyrics::LyricsPages> lyricsPages_;
    std::unique_ptr<ScreenAwake> screenAwake_; // while a song list is open
};

} // namespace kazoon
