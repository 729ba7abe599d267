#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

#include "FakeDevice.h"
#include "FakeOutputControl.h"
#include "FakeRemoteInput.h"
#include "ScriptedDialogs.h"
#include "app/Environment.h"
#include "app/Windows.h"

namespace kazoon {
class TfrmMain;
}

namespace kazoon::test {

// The program's six windows in a temporary folder: a settings file path
// (Kazoon.ini, absent until written), scripted dialogs, a scripted device, a
// fake output control and a recorder of the addresses the program opens.
//
//   TestApp app;                                    // nothing created yet
//   app.writeSettings("[QS_Mode]\nSet=1\n");         // optional
//   app.start();                                    // createWindows
//   app.main()->action("ButtonPlay")->trigger();
class TestApp {
public:
    TestApp();
    ~TestApp();
    TestApp(const TestApp &) = delete;
    TestApp &operator=(const TestApp &) = delete;

    // Creates the windows (once).
    TestApp &start();
    // Destroys the windows as the program does at its end (FormDestroy first).
    void stop();

    TfrmMain *main() const;
    Windows &windows() const { return *windows_; }
    bool started() const { return windows_ != nullptr; }

    QString dir() const { return dir_.path(); }
    QString path(const QString &relative) const;
    QString settingsPath() const { return env.settingsPath; }
    void writeSettings(const QString &text) const;
    // The settings file's text; empty when it does not exist.
    QString readSettings() const;
    bool settingsExist() const;

    // Writes a file (creating its folders) and returns its full path.
    QString makeFile(const QString &relative, const QByteArray &content) const;
    // Writes a small valid MIDI file and tells the device its length.
    QString makeSong(const QString &relative, FakeDevice::Song song = {});
    // Writes a song list file (one "mark blank path" entry per line, CR LF).
    QString makeList(const QString &relative, const QStringList &entries) const;
    // A list of these songs, opened: writes each song (unmarked) and the list
    // show.mnu, starts the windows and opens the list as the performer does.
    TfrmMain *openList(const QStringList &songs);

    ScriptedDialogs dialogs;
    FakeDevice device;
    FakeOutputControl output{&device};
    FakeRemoteInput remote;
    QList<QUrl> openedUrls;
    Environment env;

private:
    QTemporaryDir dir_;
    std::unique_ptr<Windows> windows_;
};

} // namespace kazoon::test
