#include <QApplication>
#include <QMenuBar>
#include <QTest>

#include "lyrics/TfrmWrd.h"

#include "PlayerFixture.h"

namespace kazoon::test {
namespace {

using Keys = PlayerTest;

// Presses a key on the position bar and returns the step display.
QString press(TfrmMain *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(w->trackBar, Qt::Key(key), mods);
    return w->lblStep->text();
}

TEST_F(Keys, ArrowWalksLandOnTheSameStepsBothWays)
{
    setList({{"a.mid", 200}});
    struct Walk {
        const char *from;
        QList<int> keys;
        QStringList steps;
    };
    const Walk walks[] = {
        {"step 0",
         {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left},
         {"16", "32", "48", "32", "16", "0"}},
        {"step 1",
         {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left},
         {"17", "33", "17", "1", "0"}},
    };
    for (const Walk &walk : walks) {
        if (QLatin1String(walk.from) == QLatin1String("step 1"))
            QTest::keyClick(w->lstLive, Qt::Key_Plus, Qt::KeypadModifier);
        ASSERT_EQ(step(), QLatin1String(walk.from) == QLatin1String("step 1") ? "1" : "0");
        QStringList got;
        for (int key : walk.keys)
            got << press(w, key);
        EXPECT_EQ(got, walk.steps) << "from " << walk.from;
        EXPECT_EQ(QString::number(dev.Position() == 0 ? 0 : dev.Position() + 1), got.last());
    }
}

TEST_F(Keys, KeypadPlusAndMinusMoveOneStepAndTheMainKeysDoNothing)
{
    setList({{"a.mid", 200}});
    const auto seeks = [&] { return dev.calls.filter(QStringLiteral("Seek")).size(); };
    const auto before = seeks();
    EXPECT_EQ(press(w, Qt::Key_Plus, Qt::KeypadModifier), QStringLiteral("1"));
    EXPECT_EQ(dev.Position(), 0);
    EXPECT_EQ(press(w, Qt::Key_Plus, Qt::KeypadModifier), QStringLiteral("2"));
    EXPECT_EQ(dev.Position(), 1);
    EXPECT_EQ(press(w, Qt::Key_Minus, Qt::KeypadModifier), QStringLiteral("1"));
    EXPECT_EQ(press(w, Qt::Key_Minus, Qt::KeypadModifier), QStringLiteral("0"));
    EXPECT_EQ(dev.Position(), 0);
    EXPECT_GT(seeks(), before);

    EXPECT_EQ(press(w, Qt::Key_Plus), QStringLiteral("0"));
    EXPECT_EQ(press(w, Qt::Key_Minus), QStringLiteral("0"));
    w->trackBar->setPosition(200);
    EXPECT_EQ(press(w, Qt::Key_Plus, Qt::KeypadModifier), QStringLiteral("201"));
    EXPECT_EQ(press(w, Qt::Key_Right), QStringLiteral("201")) << "stops at the end";
}

TEST_F(Keys, ModifiersDoNotChangeWhatAKeyDoes)
{
    setList({{"a.mid", 200}});
    EXPECT_EQ(press(w, Qt::Key_Right, Qt::ControlModifier), QStringLiteral("16"));
    EXPECT_EQ(press(w, Qt::Key_PageDown, Qt::AltModifier), QStringLiteral("144"));
    EXPECT_EQ(press(w, Qt::Key_Left, Qt::ShiftModifier), QStringLiteral("128"));
    EXPECT_EQ(press(w, Qt::Key_PageUp, Qt::ShiftModifier), QStringLiteral("0"));
}

TEST_F(Keys, EnterPlaysEscStopsBackspaceGoesToTheTop)
{
    setList({{"a.mid", 200}});
    QTest::keyClick(w->lstLive, Qt::Key_Return);
    EXPECT_EQ(w->playerState, Playing);
    playOn(40);
    QTest::keyClick(w->lstLive, Qt::Key_Escape);
    EXPECT_EQ(w->playerState, Ready);
    QTest::keyClick(w->trackBar, Qt::Key_Backspace);
    EXPECT_EQ(dev.Position(), 0);
    EXPECT_EQ(step(), QStringLiteral("0"));

    // In QS mode Enter stands by, and Enter again plays from the standby step.
    setQs(true);
    QTest::keyClick(w->trackBar, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(w->playerState, StandingBy);
    playOn(20);
    QTest::keyClick(w->trackBar, Qt::Key_Return);
    EXPECT_EQ(w->playerState, Playing);
    EXPECT_EQ(dev.Position(), 15);
}

// Keys as the window system delivers them: to whatever holds the focus in
// the active window.
void type(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *active = QApplication::activeWindow();
    ASSERT_NE(active, nullptr);
    QTest::keyClick(active->windowHandle(), key, mods);
}

TEST_F(Keys, EscStopsWhateverWasTappedBeforeIt)
{
    app.makeFile(QStringLiteral("a.txt"), "0\r\nharu\r\n");
    setList({{"a.mid", 400}});
    w->mnuWrdItemClick(nullptr); // the lyrics card on: Enter brings its window up
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    using Tap = std::pair<Qt::Key, Qt::KeyboardModifiers>;
    struct Row {
        const char *what;
        QList<Tap> taps;
    };
    const Row rows[] = {
        {"nothing", {}},
        {"a lone Alt", {{Qt::Key_Alt, Qt::AltModifier}}},
        {"Alt between Shifts",
         {{Qt::Key_Shift, Qt::ShiftModifier},
          {Qt::Key_Alt, Qt::AltModifier},
          {Qt::Key_Shift, Qt::ShiftModifier},
          {Qt::Key_Shift, Qt::ShiftModifier}}},
        {"Alt+E, its menu off", {{Qt::Key_E, Qt::AltModifier}}},
        {"Alt+S, its menu off", {{Qt::Key_S, Qt::AltModifier}}},
    };
    // Nothing else in the two windows can take the keys from the show.
    const auto onlyTheShowTakesTheFocus = [this] {
        for (QWidget *window : {static_cast<QWidget *>(w), static_cast<QWidget *>(w->frmWrd)}) {
            ASSERT_TRUE(window->isVisible());
            for (QWidget *child : window->findChildren<QWidget *>()) {
                if (child != w->lstLive && child != w->trackBar && child->isVisible()) {
                    EXPECT_EQ(child->focusPolicy(), Qt::NoFocus)
                        << child->metaObject()->className() << " " << child->objectName().toStdString();
                }
            }
        }
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        for (int song = 0; song < 2; ++song) {
            type(Qt::Key_Return);
            ASSERT_TRUE(w->playing);
            ASSERT_TRUE(QTest::qWaitForWindowActive(w->frmWrd));
            if (row.taps.isEmpty() && song == 0)
                onlyTheShowTakesTheFocus();
            type(Qt::Key_Shift); // back to the main window
            ASSERT_TRUE(QTest::qWaitForWindowActive(w));
            if (song == 0) {
                for (const Tap &tap : row.taps)
                    type(tap.first, tap.second);
            }
            type(Qt::Key_Escape);
            EXPECT_FALSE(w->playing) << (song ? "the next play" : "the play after the taps");
            if (w->playing)
                w->ButtonStopClick();
            EXPECT_NE(QApplication::focusWidget(), w->menuBar());
            w->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        }
    }
}

TEST_F(Keys, HeldDownLoadsOnlyTheSongItRestsOn)
{
    setList({{"a.mid"}, {"b.mid"}, {"c.mid"}, {"d.mid"}, {"e.mid"}});
    const int loaded = opens();
    for (int i = 0; i < 4; ++i) {
        // Auto-repeat: every press stops the delay that the release before it started.
        QTest::keyPress(w->lstLive, Qt::Key_Down);
        EXPECT_FALSE(w->LagTimer.isActive());
        QTest::keyRelease(w->lstLive, Qt::Key_Down);
        EXPECT_TRUE(w->LagTimer.isActive());
    }
    EXPECT_EQ(current(), 4);
    EXPECT_EQ(opens(), loaded);
    EXPECT_FALSE(w->ToolBarPlayer->isEnabled());
    EXPECT_FALSE(w->trackBar->isEnabled());

    QTest::keyClick(w->lstLive, Qt::Key_Return);
    EXPECT_EQ(w->playerState, Ready) << "Enter does nothing before the load";
    EXPECT_FALSE(dev.calls.contains(QStringLiteral("Play")));

    QTest::qWait(400);
    EXPECT_EQ(opens(), loaded + 1);
    EXPECT_EQ(QString::fromStdString(dev.openFile), songPath("e.mid"));
    EXPECT_TRUE(w->ToolBarPlayer->isEnabled());
    EXPECT_TRUE(w->trackBar->isEnabled());

    // Down on the last song moves nothing but loads it again.
    QTest::keyClick(w->lstLive, Qt::Key_Down);
    lag();
    EXPECT_EQ(current(), 4);
    EXPECT_EQ(opens(), loaded + 2);
}

TEST_F(Keys, HomeAndEndJumpAndLoadOnlyWhenTheyMove)
{
    setList({{"a.mid"}, {"b.mid"}, {"c.mid"}});
    const int loaded = opens();
    QTest::keyClick(w->lstLive, Qt::Key_Home);
    EXPECT_EQ(opens(), loaded);
    QTest::keyClick(w->lstLive, Qt::Key_End);
    EXPECT_EQ(current(), 2);
    EXPECT_EQ(opens(), loaded + 1);
    QTest::keyClick(w->trackBar, Qt::Key_End);
    EXPECT_EQ(opens(), loaded + 1);
    EXPECT_EQ(w->trackBar->Position(), 0) << "outside lesson mode End does not move the position";
    QTest::keyClick(w->trackBar, Qt::Key_Home);
    EXPECT_EQ(current(), 0);
    EXPECT_EQ(opens(), loaded + 2);
}

TEST_F(Keys, SpaceInvertsTheMarkExactlyOnce)
{
    setList({{"a.mid"}, {"b.mid"}, {"c.mid"}});
    QTest::keyClick(w->lstLive, Qt::Key_Space);
    EXPECT_TRUE(w->lstLive->isChecked(0)) << "from the list";
    EXPECT_TRUE(w->lstDmy.items.at(0).startsWith(QStringLiteral("1 ")));
    QTest::keyClick(w->trackBar, Qt::Key_Space);
    EXPECT_FALSE(w->lstLive->isChecked(0)) << "from the bar";
    EXPECT_TRUE(w->lstDmy.items.at(0).startsWith(QStringLiteral("0 ")));

    // While playing the list is locked and Space does nothing.
    w->ButtonPlayClick();
    QTest::keyClick(w->trackBar, Qt::Key_Space);
    EXPECT_FALSE(w->lstLive->isChecked(0));
}

} // namespace
} // namespace kazoon::test
