#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QStringList>
#include <functional>

#include "app/MainWindow.h"
#include "options/TfrmOption.h"
#include "support/TestApp.h"

namespace kazoon::test {

// The main window with its options dialog, opened as the menu opens it.
class OptionDialog : public ::testing::Test {
protected:
    TestApp app;
    TfrmMain *w = nullptr;
    TfrmOption *dlg = nullptr;

    void start(const QString &settings = QString())
    {
        if (!settings.isEmpty())
            app.writeSettings(settings);
        app.start();
        w = app.main();
        dlg = w->frmOption;
    }

    // Opens the options as the menu does; `script` works the dialog while it is up.
    void open(std::function<void(TfrmOption *)> script)
    {
        app.dialogs.onExec([script](QDialog *d) {
            script(static_cast<TfrmOption *>(d));
            return int(QDialog::Rejected);
        });
        w->mnuOptionItemClick();
    }

    // A list of three songs, the last one marked.
    void openList()
    {
        QStringList songs;
        for (const char *name : {"songs/a.mid", "songs/b.mid", "songs/c.mid"})
            songs << app.makeSong(name);
        app.dialogs.openFile(app.makeList("show.mnu", {"0 " + songs[0], "1 " + songs[1], "1 " + songs[2]}));
        w->action("mnuOpenItem")->trigger();
    }
};

} // namespace kazoon::test
