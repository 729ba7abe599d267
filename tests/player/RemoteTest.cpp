#include <QCoreApplication>
#include <QDialog>
#include <QStatusBar>
#include <functional>

#include "PlayerFixture.h"
#include "remote/MidiRemoteInput.h"
#include "lyrics/TfrmWrd.h"
#include "support/FakeRemoteInput.h"

namespace kazoon::test {
namespace {

const QString kBindings = QStringLiteral(
    "[Remote]\r\nPlay=note:0:60\r\nStop=note:0:61\r\nTop=note:0:62\r\nNext=cc:0:80\r\n"
    "Previous=cc:0:81\r\nQS=pc:9:5\r\n");

// One copy of the program: worked by keys or by the remote.
struct Rig {
    TestApp app;
    TfrmMain *w = nullptr;

    Rig()
    {
        app.writeSettings(kBindings);
        w = app.start().main();
    }

    // Three songs, the middle one loaded, as opening a list leaves them.
    void setList()
    {
        for (const char *name : {"a.mid", "b.mid", "c.mid"}) {
            const QString n = QString::fromLatin1(name);
            const QString path = app.makeSong(n, {256, 0});
            w->lstLive->addLine(n, false);
            w->lstDmy.items << QStringLiteral("0 ") + path;
        }
        w->mnuPlayer->setEnabled(true);
        w->afterListLoaded();
        w->setBulkMarkCommands({false, false, false});
        w->lstLive->setItemIndex(1);
        w->LoadSelectedSong();
    }

    // What a performer would see and what the device was told.
    QString state() const
    {
        QString s;
        QDebug(&s) << panelOf(w).state << panelOf(w).play << panelOf(w).stop << panelOf(w).prev
                   << panelOf(w).sb << panelOf(w).bar << panelOf(w).pos << w->playing
                   << w->lstLive->itemIndex() << w->lstLive->isEnabled() << w->LagTimer.isActive()
                   << w->cmdQs->isDown() << w->lessonMode << w->lblInfo->text();
        return s + app.device.calls.join(QLatin1Char('|'));
    }
};

struct Command {
    const char *name;
    int key;
    QByteArray message;
};

const Command kCommands[] = {
    {"play", Qt::Key_Return, midiMessage({0x90, 60, 100})},
    {"stop", Qt::Key_Escape, midiMessage({0x90, 61, 1})},
    {"top", Qt::Key_Backspace, midiMessage({0x90, 62, 127})},
    {"next", Qt::Key_Down, midiMessage({0xB0, 80, 127})},
    {"previous", Qt::Key_Up, midiMessage({0xB0, 81, 64})},
    {"qs", Qt::Key_F9, midiMessage({0xC9, 5})},
};

// The key as the window takes it: F9 is its menu item's short cut.
void pressKey(TfrmMain *w, int key)
{
    if (key == Qt::Key_F9) {
        if (w->cmdQs->menuItem()->isEnabled())
            w->cmdQs->menuItem()->trigger();
    } else {
        w->FormKeyDown(w, key, {});
    }
    w->FormKeyUp(w, key, {});
}

struct State {
    const char *name;
    std::function<void(Rig &)> enter;
};

const State kStates[] = {
    {"stopped", [](Rig &) {}},
    {"playing",
     [](Rig &r) {
         r.w->FormKeyDown(r.w, Qt::Key_Return, {});
         r.app.device.advance(40);
         r.w->PlayTimerTimer();
     }},
    {"paused",
     [](Rig &r) {
         r.w->FormKeyDown(r.w, Qt::Key_Return, {});
         r.app.device.advance(40);
         r.w->PlayTimerTimer();
         r.w->FormKeyDown(r.w, Qt::Key_Escape, {});
     }},
    {"qs waiting", [](Rig &r) { r.w->mnuQsItemClick(); }},
    {"standing by",
     [](Rig &r) {
         r.w->mnuQsItemClick();
         r.w->FormKeyDown(r.w, Qt::Key_Return, {});
     }},
    {"standby done",
     [](Rig &r) {
         r.w->mnuQsItemClick();
         r.w->FormKeyDown(r.w, Qt::Key_Return, {});
         r.app.device.advance(40);
         r.w->PlayTimerTimer();
     }},
    {"lesson",
     [](Rig &r) {
         r.w->frmOption->chkOnLsn->setChecked(true);
         r.w->afterListLoaded();
         r.w->mnuLsnItemClick();
     }},
    {"lesson playing",
     [](Rig &r) {
         r.w->frmOption->chkOnLsn->setChecked(true);
         r.w->afterListLoaded();
         r.w->mnuLsnItemClick();
         r.w->FormKeyDown(r.w, Qt::Key_Return, {});
         r.app.device.advance(20);
         r.w->PlayTimerTimer();
     }},
};

TEST(Remote, EachCommandDoesWhatItsKeyDoesInEveryState)
{
    for (const State &state : kStates) {
        for (const Command &command : kCommands) {
            Rig byKey, byRemote;
            for (Rig *r : {&byKey, &byRemote}) {
                r->setList();
                state.enter(*r);
            }
            ASSERT_EQ(byKey.state(), byRemote.state()) << state.name;
            const QString before = byKey.state();
            pressKey(byKey.w, command.key);
            byRemote.app.remote.send(command.message);
            EXPECT_EQ(byKey.state(), byRemote.state()) << state.name << ", " << command.name;
            // The delayed load after Down and Up.
            if (byKey.w->LagTimer.isActive()) {
                byKey.w->LagTimerTimer();
                byRemote.w->LagTimerTimer();
                EXPECT_EQ(byKey.state(), byRemote.state())
                    << state.name << ", " << command.name << " after the delay";
            }
            if (QLatin1String(command.name) == QLatin1String("play") &&
                QLatin1String(state.name) == QLatin1String("stopped")) {
                EXPECT_NE(before, byRemote.state()) << "the remote must have done something";
            }
        }
    }
}

TEST(Remote, UnboundMessagesAndNoteOffsDoNothing)
{
    Rig r;
    r.setList();
    const QString before = r.state();
    for (const QByteArray &m : {midiMessage({0x90, 60, 0}), midiMessage({0x80, 60, 64}), midiMessage({0x91, 60, 100}),
                                midiMessage({0xB0, 80, 10}), midiMessage({0xC0, 5}), midiMessage({0xF8}), midiMessage({0x90}),
                                QByteArray()})
        r.app.remote.send(m);
    EXPECT_EQ(r.state(), before);
}

TEST(Remote, IgnoredWhileADialogOfTheProgramIsOpen)
{
    Rig r;
    r.setList();
    const QString before = r.state();
    r.w->msgBoxOpen = true;
    r.app.remote.send(midiMessage({0x90, 60, 100}));
    EXPECT_EQ(r.state(), before) << "a box is up";
    r.w->msgBoxOpen = false;

    QString during;
    r.app.dialogs.onExec([&](QDialog *) {
        r.app.remote.send(midiMessage({0x90, 60, 100}));
        during = r.state();
        return int(QDialog::Rejected);
    });
    r.w->mnuOptionItemClick();
    EXPECT_EQ(during, before) << "the options dialog is open";

    r.app.remote.send(midiMessage({0x90, 60, 100}));
    EXPECT_EQ(r.w->playerState, Playing) << "works again once the dialog is closed";
}

TEST(Remote, APedalFiresOnceWhenItGoesDownNotWhileHeld)
{
    Rig r;
    r.setList();
    r.w->lstLive->setItemIndex(0);
    const auto next = [&](int value) {
        r.app.remote.send(midiMessage({0xB0, 80, value}));
        r.w->LagTimer.stop();
        r.w->ToolBarPlayer->setEnabled(true);
        r.w->trackBar->setEnabled(true);
        return r.w->lstLive->itemIndex();
    };
    EXPECT_EQ(next(127), 1);
    EXPECT_EQ(next(127), 1) << "held";
    EXPECT_EQ(next(90), 1) << "still above the threshold";
    EXPECT_EQ(next(63), 1) << "released";
    EXPECT_EQ(next(64), 2) << "down again";
}

TEST(Remote, WorksWhileTheLyricsWindowHasTheFocus)
{
    Rig r;
    r.setList();
    r.w->frmWrd->show();
    r.w->frmWrd->activateWindow();
    r.app.remote.send(midiMessage({0x90, 60, 100}));
    EXPECT_EQ(r.w->playerState, Playing);
}

TEST(Remote, PortMissingAtStartIsToldOnceInTheStatusBar)
{
    struct Case {
        const char *name;
        QStringList ports;
        bool offered;
        QString port;
        QString message;
        QString opened;
    };
    const Case cases[] = {
        {"missing", {QStringLiteral("Other 20:0")}, true, QStringLiteral("Foot 24:0"),
         remotePortMissingText(QStringLiteral("Foot 24:0")), QString()},
        {"there, numbers changed", {QStringLiteral("Foot 28:0")}, true, QStringLiteral("Foot 24:0"),
         QString(), QStringLiteral("Foot 24:0")},
        {"no MIDI input at all", {}, false, QStringLiteral("Foot"), kNoMidiInputText, QString()},
        {"none chosen", {QStringLiteral("Foot 24:0")}, true, QString(), QString(), QString()},
    };
    for (const Case &c : cases) {
        TestApp app;
        app.remote.portNames = c.ports;
        app.remote.offered = c.offered;
        app.writeSettings(QStringLiteral("[Remote]\r\nPort=") + c.port + QStringLiteral("\r\n"));
        TfrmMain *w = app.start().main();
        EXPECT_EQ(w->statusBar_->currentMessage(), c.message) << c.name;
        EXPECT_EQ(app.remote.portName(), c.opened) << c.name;
        EXPECT_TRUE(app.dialogs.boxes.isEmpty()) << c.name << ": never a box";
        EXPECT_EQ(app.remote.opened.size(), c.port.isEmpty() ? 0 : 1) << c.name << ": asked once";
    }
}

TEST(Remote, MessagesOfAClosedPortAreDropped)
{
    Rig r;
    r.setList();
    r.app.remote.inject(midiMessage({0x90, 60, 100}));
    r.app.remote.close();
    QCoreApplication::processEvents();
    EXPECT_EQ(r.w->playerState, Ready);
}

} // namespace
} // namespace kazoon::test
