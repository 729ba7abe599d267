#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace kazoon {

class OutputControl;
class RemoteInput;
class SequencerDevice;
class UiDialogs;

// What the windows need from the world outside them. The program fills it
// with the real things; tests with temporary folders, scripted dialogs and a
// scripted or recording device and a fake output control.
struct Environment {
    QString settingsPath;        // the settings file Kazoon.ini
    QString helpPath;            // the help manual's start page
    UiDialogs *dialogs = nullptr;
    SequencerDevice *device = nullptr;
    OutputControl *output = nullptr; // the device's sound output; null when it has none to switch
    RemoteInput *remote = nullptr;   // the MIDI remote's input; null when the program has none
    std::function<void(const QUrl &)> openUrl; // web and mail addresses, help
    // The D-Bus of the desktop's services (the screen kept awake): "session",
    // or a bus address; empty for none, as in tests that do not ask for one.
    QString desktopBus;
};

} // namespace kazoon
