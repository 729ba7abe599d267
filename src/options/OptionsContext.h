#pragma once

#include <QByteArray>
#include <QFont>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

#include "app/Dialogs.h"
#include "bandview/BandViewSettings.h"
#include "options/MidiClockOptions.h"
#include "options/ClickOptions.h"
#include "remote/RemoteBindings.h"

namespace kazoon {

class OutputControl;
class RemoteInput;

// The lyrics card window's design, as the options dialog shows and changes it.
struct LyricsDesign {
    QFont font;
    int foreColor = 0, backColor = 0; // in their stored form
    QSize size;
    // Neither minimised, maximised nor full screen: only then does the size
    // go back to the default with the design.
    bool normalState = true;
};

// What the options dialog needs from the program around it. Every hook may
// be null; the dialog then does without (a test's bare dialog).
struct OptionsContext {
    UiDialogs *dialogs = nullptr;     // the modal dialogs; plain exec when null
    OutputControl *output = nullptr;  // the sound output, switched by the dialog itself
    RemoteInput *remote = nullptr;    // the MIDI remote's input, for its port list
    QString settingsPath;             // read once, at creation
    MessageFn message;                // a box, as the main window shows it
    std::function<RemoteBindings()> remoteBindings; // the bindings in use
    // While the remote page learns, the input's messages go to the learner;
    // null gives the input back to the show.
    std::function<void(std::function<void(const QByteArray &)>)> setRemoteLearner;
    // The lyrics folder chooser: the chosen folder, or nothing on Cancel.
    std::function<std::optional<QString>(const QString &current)> chooseLyricsFolder;
    // The lyrics window's design now; nothing without a lyrics window.
    std::function<std::optional<LyricsDesign>()> lyricsDesign;
    BandViewPageHooks bandView;
};

// What OK changed, for the main window to carry out in this order. The
// sound output is already switched by then.
struct OptionsChange {
    std::optional<LyricsDesign> lyrics; // the design for the lyrics window
    bool folderRuleChanged = false;     // the lyrics cards must be looked up again
    bool songLyricsChanged = false;     // so must they: the song's own lyrics came or went
    bool showWhileStopped = false;
    MidiClockOptions midiClock;
    bool lessonAllowed = false;         // false withdraws lesson mode
    bool repeatAllowed = false;         // false withdraws the last song's mark
    RemoteBindings remote;
    BandViewSettings bandView;
    ClickOptions click;
};

} // namespace kazoon
