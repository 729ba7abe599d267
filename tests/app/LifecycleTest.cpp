#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <stdexcept>

#include "app/Application.h"
#include "app/Command.h"
#include "app/MainWindow.h"
#include "app/TfrmAbout.h"
#include "lyrics/TfrmWrd.h"
#include "options/TfrmOption.h"
#include "player/TrackBar.h"
#include "songlist/CheckListBox.h"
#include "support/TestApp.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

// Asks the main window to close as the close box does; true when it closed.
bool requestClose(TfrmMain *m)
{
    QCloseEvent event;
    QCoreApplication::sendEvent(m, &event);
    return event.isAccepted();
}

QStringList enabledNames(TfrmMain *m, const QStringList &names)
{
    QStringList result;
    for (const QString &name : names)
        if (m->action(name)->isEnabled())
            result << name;
    return result;
}

} // namespace

TEST(Startup, FirstStateAfterCreation)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();

    const QStringList all = {
        "mnuFile", "mnuNewItem", "mnuOpenItem", "mnuOverItem", "mnuSaveItem", "mnuExitItem",
        "mnuEdit", "mnuMedleyItem", "mnuClearItem", "mnuSet", "mnuQsItem", "mnuWrdItem",
        "mnuWrdEditItem", "mnuLsnItem", "mnuSflgItem", "mnuEflgItem", "mnuOptionItem",
        "mnuPlayer", "mnuHelp", "mnuHelpItem", "mnuHPItem", "mnuAboutItem", "ButtonNew",
        "ButtonOpen", "ButtonSave", "ButtonEdit", "ButtonMedley", "ButtonClear", "ButtonQs",
        "ButtonWrd", "ButtonWrdEdit", "ButtonLesson", "ButtonSflg", "ButtonEflg", "ButtonHelp",
        "ButtonSB", "ButtonPlay", "ButtonStop", "ButtonPrev"};
    EXPECT_EQ(enabledNames(m, all),
              QStringList({"mnuFile", "mnuNewItem", "mnuOpenItem", "mnuExitItem", "mnuSet",
                           "mnuQsItem", "mnuWrdItem", "mnuOptionItem", "mnuHelp",
                           "mnuHelpItem", "mnuHPItem", "mnuAboutItem", "ButtonNew",
                           "ButtonOpen", "ButtonQs", "ButtonWrd", "ButtonHelp"}));
    // The lyrics card update is usable only while the function is on.
    EXPECT_FALSE(m->action("mnuWrdEditItem")->isEnabled());
    EXPECT_FALSE(m->trackBar->isEnabled());
    EXPECT_TRUE(m->lstLive->isEnabled());
    EXPECT_EQ(m->trackBar->Position(), 0);
    EXPECT_EQ(m->lblInfo->text(), QStringLiteral("曲リストを開いてください。"));
    EXPECT_EQ(m->lblStep->text(), QString());
    EXPECT_EQ(m->statusPanel0->text(), QString());
    EXPECT_EQ(m->statusPanel1->text(), QString());
    EXPECT_FALSE(m->PlayTimer.isActive());
    EXPECT_FALSE(m->LagTimer.isActive());
    EXPECT_EQ(m->PlayTimer.interval(), 50);
    EXPECT_EQ(m->LagTimer.interval(), 300);

    // Only the list and the position bar take the keyboard focus.
    QStringList focusable;
    for (QWidget *w : m->findChildren<QWidget *>())
        if (w->focusPolicy() != Qt::NoFocus && !qobject_cast<QMenu *>(w) && w->isVisibleTo(m))
            focusable << w->objectName();
    focusable.sort();
    EXPECT_EQ(focusable, QStringList({"TrackBar", "lstLive"}));
}

TEST(Startup, BothTogglesStoredOn)
{
    TestApp app;
    app.writeSettings("[QS_Mode]\nSet=1\n[Words]\nSet=1\n");
    app.start();
    TfrmMain *m = app.main();
    EXPECT_TRUE(m->action("ButtonQs")->isChecked());
    EXPECT_TRUE(m->action("mnuQsItem")->isChecked());
    EXPECT_TRUE(m->action("ButtonWrd")->isChecked());
    EXPECT_TRUE(m->action("mnuWrdItem")->isChecked());
    EXPECT_FALSE(m->action("ButtonWrdEdit")->isEnabled()); // no list yet
    EXPECT_TRUE(m->action("mnuWrdEditItem")->isEnabled());
    EXPECT_FALSE(m->frmWrd->isVisible());

    // Switching the function off from the menu hides the lyrics card window.
    m->frmWrd->show();
    m->action("mnuWrdItem")->trigger();
    EXPECT_FALSE(m->action("ButtonWrd")->isChecked());
    EXPECT_FALSE(m->action("mnuWrdEditItem")->isEnabled());
    EXPECT_FALSE(m->frmWrd->isVisible());
}

TEST(Commands, KeepTheirControlsTogether)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();
    TfrmWrd *w = m->frmWrd;
    ASSERT_EQ(m->cmdPlay->buttons().size(), 2);
    EXPECT_EQ(m->cmdPlay->button(1), w->ButtonPlay);

    const struct {
        Command *command;
        QList<QAction *> controls;
    } rows[] = {
        {m->cmdSB, {m->action("mnuSBItem"), m->action("ButtonSB"), w->ButtonSB}},
        {m->cmdPlay, {m->action("mnuPlayItem"), m->action("ButtonPlay"), w->ButtonPlay}},
        {m->cmdStop, {m->action("mnuStopItem"), m->action("ButtonStop"), w->ButtonStop}},
        {m->cmdPrev, {m->action("mnuPrevItem"), m->action("ButtonPrev"), w->ButtonPrev}},
        {m->cmdEdit, {m->action("mnuMenuItem"), m->action("ButtonEdit")}},
        {m->cmdLesson, {m->action("mnuLsnItem"), m->action("ButtonLesson")}},
        {m->cmdHelp, {m->action("mnuHelpItem"), m->action("ButtonHelp")}},
    };
    for (const auto &row : rows) {
        for (bool on : {true, false, true}) {
            row.command->setEnabled(on);
            for (QAction *a : row.controls)
                EXPECT_EQ(a->isEnabled(), on) << a->objectName().toStdString();
        }
        row.command->setDown(true);
        for (QAction *a : row.command->buttons())
            EXPECT_TRUE(a->isChecked()) << a->objectName().toStdString();
        row.command->setDown(false);
    }

    // A click on a check-style button does not flip it by itself: the
    // handler sets the state of both controls from the menu item.
    m->action("ButtonWrd")->trigger();
    EXPECT_TRUE(m->action("ButtonWrd")->isChecked());
    EXPECT_TRUE(m->action("mnuWrdItem")->isChecked());
    m->action("mnuWrdItem")->trigger();
    EXPECT_FALSE(m->action("ButtonWrd")->isChecked());
    EXPECT_FALSE(m->action("mnuWrdItem")->isChecked());
}

TEST(Closing, WithoutChangesAsksNothingAndWritesTheSettings)
{
    TestApp app;
    app.start();
    EXPECT_TRUE(requestClose(app.main()));
    EXPECT_TRUE(app.dialogs.boxes.isEmpty());
    EXPECT_TRUE(app.settingsExist());
}

TEST(Closing, ModifiedNewList)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();
    m->listModified = true;

    // Cancel: the program stays, nothing is written.
    app.dialogs.answer(mb::IdCancel);
    EXPECT_FALSE(requestClose(m));
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].caption, kAppTitle);
    EXPECT_EQ(app.dialogs.boxes[0].flags, mb::YesNoCancel | mb::IconQuestion);
    EXPECT_FALSE(m->msgBoxOpen);

    // Yes, then the Save As dialog cancelled: the program stays.
    app.dialogs.answer(mb::IdYes);
    EXPECT_FALSE(requestClose(m));
    EXPECT_EQ(app.dialogs.saveRequests.size(), 1);
    EXPECT_FALSE(m->saveCancelled);
    EXPECT_FALSE(app.settingsExist());

    // No: closes without saving, the settings are written.
    app.dialogs.answer(mb::IdNo);
    EXPECT_TRUE(requestClose(m));
    EXPECT_TRUE(app.settingsExist());
    EXPECT_TRUE(app.dialogs.allUsed());
}

TEST(Closing, ModifiedNewListSavedAsThenCloses)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();
    m->listModified = true;
    app.dialogs.answer(mb::IdYes);
    app.dialogs.saveFile(app.path("new.mnu"));
    EXPECT_TRUE(requestClose(m));
    EXPECT_TRUE(QFileInfo::exists(app.path("new.mnu")));
    EXPECT_TRUE(app.settingsExist());
}

TEST(Closing, ModifiedListWithAFileIsOverwrittenWithoutADialog)
{
    TestApp app;
    const QString song = app.makeSong("songs/a.mid");
    const QString list = app.makeList("show.mnu", {"0 " + song});
    app.start();
    TfrmMain *m = app.main();
    app.dialogs.openFile(list);
    m->action("mnuOpenItem")->trigger();
    ASSERT_EQ(m->windowTitle(), QStringLiteral("カズーン - show.mnu"));
    ASSERT_EQ(m->lstDmy.count(), 1);

    m->lstDmy.items[0] = "1 " + song;
    m->lstLive->setChecked(0, true);
    m->listModified = true;
    app.dialogs.answer(mb::IdYes);
    EXPECT_TRUE(requestClose(m));
    EXPECT_TRUE(app.dialogs.saveRequests.isEmpty());
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("1 "));
    EXPECT_TRUE(app.settingsExist());
}

TEST(Closing, WithASongLoadedClosesTheDeviceAfterWritingTheSettings)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();
    m->songLoaded = true;
    EXPECT_TRUE(requestClose(m));
    EXPECT_TRUE(app.settingsExist());
    EXPECT_FALSE(app.device.calls.contains("Close"));
    app.stop();
    EXPECT_EQ(app.device.calls.filter("Close").size(), 1);
    EXPECT_TRUE(app.dialogs.boxes.isEmpty());
}

TEST(AppException, TextGetsAFullStopAfterLaterCharacters)
{
    EXPECT_EQ(exceptionText("abc"), "abc.");
    EXPECT_EQ(exceptionText("abc."), "abc.");
    EXPECT_EQ(exceptionText("abc!"), "abc!"); // "!" sorts before "."
    EXPECT_EQ(exceptionText(QStringLiteral("読めません")), QStringLiteral("読めません."));
    // A Japanese full stop ends the sentence already.
    EXPECT_EQ(exceptionText(QStringLiteral("読めません。")), QStringLiteral("読めません。"));
    EXPECT_EQ(exceptionText(""), "");
}

TEST(AppException, ExceptionInACommandEndsTheProgramWithoutWritingTheSettings)
{
    TestApp app;
    app.writeSettings("[Main]\nTop=5\n");
    app.makeFile("help/index.html", "<html></html>");
    app.env.openUrl = [](const QUrl &) { throw std::runtime_error("ヘルプを開けません"); };
    app.start();
    TfrmMain *m = app.main();
    m->songLoaded = true;
    auto handler = [m](const QString &message) { m->AppException(message); };

    EXPECT_FALSE(deliverGuarded([m] { m->action("ButtonHelp")->trigger(); return true; }, handler));
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, QStringLiteral("ヘルプを開けません."));
    EXPECT_EQ(app.dialogs.boxes[0].caption, QStringLiteral("カズーン"));
    EXPECT_EQ(app.dialogs.boxes[0].flags, mb::IconStop);
    EXPECT_TRUE(m->terminating());

    // A second exception before the loop ends shows nothing more.
    deliverGuarded([]() -> bool { throw 42; }, handler);
    EXPECT_EQ(app.dialogs.boxes.size(), 1);

    // The windows close without the question and without writing.
    m->listModified = true;
    m->move(100, 100);
    EXPECT_TRUE(requestClose(m));
    app.stop();
    EXPECT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.readSettings(), "[Main]\nTop=5\n");
    EXPECT_EQ(app.device.calls.filter("Close").size(), 1);
}

TEST(AppException, ARefusedSettingsWriteNamesTheFile)
{
    TestApp app;
    app.env.settingsPath = app.makeFile("blocked", "") + "/Kazoon.ini";
    app.start();
    TfrmMain *m = app.main();
    EXPECT_FALSE(deliverGuarded([m] { return requestClose(m); },
                                [m](const QString &message) { m->AppException(message); }));
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_TRUE(app.dialogs.boxes[0].text.contains(app.env.settingsPath));
    EXPECT_TRUE(app.dialogs.boxes[0].text.endsWith(QStringLiteral("\r\nファイルまたはフォルダが見つかりません。")));
}

TEST(HelpMenu, HelpHomePageAndVersion)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();

    m->action("ButtonHelp")->trigger(); // no manual: nothing happens
    EXPECT_TRUE(app.openedUrls.isEmpty());
    EXPECT_TRUE(app.dialogs.boxes.isEmpty());

    app.makeFile("help/index.html", "<html></html>");
    m->action("mnuHelpItem")->trigger();
    ASSERT_EQ(app.openedUrls.size(), 1);
    EXPECT_EQ(app.openedUrls[0], QUrl::fromLocalFile(app.env.helpPath));

    EXPECT_EQ(m->action("mnuHPItem")->text(), kMakerName + QStringLiteral("のホームページ(&L)"));
    m->action("mnuHPItem")->trigger();
    EXPECT_EQ(app.openedUrls.value(1), QUrl(kWebAddress));

    app.dialogs.onExec([&](QDialog *d) {
        auto *about = static_cast<TfrmAbout *>(d);
        QTest::mouseClick(about->lblURL, Qt::LeftButton);
        QTest::mouseClick(about->lblEmail, Qt::LeftButton);
        return int(QDialog::Accepted);
    });
    m->action("mnuAboutItem")->trigger();
    EXPECT_EQ(app.dialogs.executed, QStringList({"frmAbout"}));
    EXPECT_EQ(app.openedUrls.value(2), QUrl(kWebAddress));
    EXPECT_EQ(app.openedUrls.value(3), QUrl("mailto:" + kMailAddress));
    EXPECT_TRUE(m->frmAbout->findChild<QLabel *>("Label7")->text() == "Version 2.31");
}

TEST(HelpMenu, ExitAsksAboutAModifiedList)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();
    m->show();
    m->listModified = true;
    app.dialogs.answer(mb::IdCancel);
    m->action("mnuExitItem")->trigger();
    EXPECT_TRUE(m->isVisible());
    EXPECT_FALSE(app.settingsExist());
    app.dialogs.answer(mb::IdNo);
    m->action("mnuExitItem")->trigger();
    EXPECT_FALSE(m->isVisible());
    EXPECT_TRUE(app.settingsExist());
}

TEST(Activation, GuardKeepsTheControlsAsTheyWere)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();
    m->msgBoxOpen = true;
    m->FormActivate();
    EXPECT_TRUE(m->lstLive->isEnabled());
    EXPECT_FALSE(m->trackBar->isEnabled()); // no song: the bar stays disabled
    m->trackBar->setEnabled(true);
    m->FormActivate();
    EXPECT_TRUE(m->trackBar->isEnabled());
}

TEST(Keys, ReachTheMainWindowFromTheBarAndTheLyricsCard)
{
    TestApp app;
    const QString a = app.makeSong("a.mid");
    const QString b = app.makeSong("b.mid");
    const QString list = app.makeList("two.mnu", {"0 " + a, "0 " + b});
    app.start();
    TfrmMain *m = app.main();
    app.dialogs.openFile(list);
    m->action("mnuOpenItem")->trigger();
    ASSERT_EQ(m->lstLive->count(), 2);
    ASSERT_EQ(m->lstLive->itemIndex(), 0);

    // Space inverts the current song's medley mark exactly once wherever it
    // is pressed, though the bar itself has no use for it.
    QTest::keyClick(m->trackBar, Qt::Key_Space);
    EXPECT_TRUE(m->lstLive->isChecked(0));
    QTest::keyClick(m->frmWrd, Qt::Key_Space);
    EXPECT_FALSE(m->lstLive->isChecked(0));
    QTest::keyClick(m, Qt::Key_Space);
    EXPECT_TRUE(m->lstLive->isChecked(0));

    // A swallowed key does not also move the list: Down only chooses.
    QTest::keyPress(m->lstLive, Qt::Key_Down);
    EXPECT_EQ(m->lstLive->itemIndex(), 1);
}

TEST(HelpMenu, VersionDialogSitsMidScreenWithEveryAddressWhole)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();
    m->move(0, 0);
    m->show();

    QRect shownAt;
    app.dialogs.onExec([&](QDialog *d) {
        shownAt = d->geometry();
        return int(QDialog::Accepted);
    });
    m->action("mnuAboutItem")->trigger();
    const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((shownAt.center() - middle).manhattanLength(), 2)
        << shownAt.x() << "," << shownAt.y() << " " << shownAt.width() << "x" << shownAt.height()
        << " frame " << m->frmAbout->frameGeometry().x() << "," << m->frmAbout->frameGeometry().y();

    // The addresses are drawn whole inside the sunken panel.
    const auto *panel = m->frmAbout->findChild<QFrame *>("Panel1");
    ASSERT_NE(panel, nullptr);
    for (const char *name : {"lblURL", "lblEmail", "Label2", "Label3", "Label7"}) {
        const auto *l = m->frmAbout->findChild<QLabel *>(name);
        ASSERT_NE(l, nullptr) << name;
        EXPECT_TRUE(panel->contentsRect().contains(QRect(l->pos(), l->sizeHint())))
            << name << " " << l->x() << "+" << l->sizeHint().width() << " in " << panel->contentsRect().right();
        EXPECT_GE(l->width(), l->sizeHint().width()) << name;
    }
    m->hide();
}
