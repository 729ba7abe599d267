#include <QDialog>

#include "PlayerFixture.h"
#include "support/FakeRemoteInput.h"

namespace kazoon::test {
namespace {

const QString kPanicBinding = QStringLiteral("[Remote]\r\nStop=note:0:61\r\nPanic=note:0:70\r\n");
const QByteArray kPanicPedal = midiMessage({0x90, 70, 100});

class PanicTest : public PlayerTest {
protected:
    void SetUp() override
    {
        app.writeSettings(kPanicBinding);
        PlayerTest::SetUp();
    }
    int panics() const { return int(dev.calls.count(QStringLiteral("Panic"))); }
    void play()
    {
        w->FormKeyDown(w, Qt::Key_Return, {});
        dev.advance(16);
        w->PlayTimerTimer();
        ASSERT_EQ(w->playerState, Playing);
    }
};

TEST_F(PanicTest, EscStopsAPlayAndSilencesEverythingOnceStopped)
{
    w->FormKeyDown(w, Qt::Key_Escape, {});
    EXPECT_EQ(panics(), 1) << "no list open yet";

    setList({{"a.mid"}});
    play();
    dev.calls.clear();
    w->FormKeyDown(w, Qt::Key_Escape, {});
    EXPECT_EQ(dev.calls, QStringList{QStringLiteral("Stop")}) << "Esc during a play only stops it";

    const Panel stopped = panelOf(w);
    dev.calls.clear();
    w->FormKeyDown(w, Qt::Key_Escape, {});
    EXPECT_EQ(dev.calls, QStringList{QStringLiteral("Panic")});
    EXPECT_EQ(panelOf(w), stopped);
}

TEST_F(PanicTest, TheMenuItemSilencesWhileTheSongPlaysOn)
{
    setList({{"a.mid"}});
    QAction *item = w->action(QStringLiteral("mnuPanicItem"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), QStringLiteral("全ての音を止める(&A)"));
    EXPECT_TRUE(w->mnuPlayer->actions().contains(item));
    play();
    const Panel playing = panelOf(w);
    dev.calls.clear();
    item->trigger();
    EXPECT_EQ(dev.calls, QStringList{QStringLiteral("Panic")});
    EXPECT_EQ(panelOf(w), playing);
}

TEST_F(PanicTest, TheRemoteSilencesEvenBehindADialogAndTakesTheOutputBackFromATestChord)
{
    setList({{"a.mid"}});
    w->msgBoxOpen = true;
    app.remote.send(midiMessage({0x90, 61, 100}));
    app.remote.send(kPanicPedal);
    w->msgBoxOpen = false;
    EXPECT_EQ(dev.calls.filter(QStringLiteral("Panic")).size(), 1);
    EXPECT_FALSE(dev.calls.contains(QStringLiteral("Stop"))) << "other commands wait for the box";

    int during = -1;
    app.dialogs.onExec([&](QDialog *) {
        app.output.testChord();
        app.remote.send(kPanicPedal);
        during = panics();
        EXPECT_FALSE(app.output.chordSounding);
        return int(QDialog::Rejected);
    });
    w->mnuOptionItemClick();
    EXPECT_EQ(during, 2) << "the options dialog is open";

    play();
    app.remote.send(kPanicPedal);
    EXPECT_EQ(panics(), 3);
    EXPECT_EQ(w->playerState, Playing);
}

} // namespace
} // namespace kazoon::test
