#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QStringEncoder>
#include <QTest>
#include <gtest/gtest.h>

#include "support/EngineShow.h"
#include "support/TestApp.h"
#include "app/Command.h"
#include "app/MainWindow.h"
#include "lyrics/TfrmWrd.h"
#include "options/TfrmOption.h"
#include "player/TrackBar.h"
#include "songlist/CheckListBox.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

QString settings(bool showWhileStopped, bool qs = false, int folderMode = 1,
                 const QString &folder = QString())
{
    return QStringLiteral("[Words]\r\nSet=1\r\nInd_Option=%1\r\nDir_Option=%2\r\nPath=%3\r\n"
                          "[QS_Mode]\r\nSet=%4\r\n")
        .arg(showWhileStopped ? 1 : 0)
        .arg(folderMode)
        .arg(folder)
        .arg(qs ? 1 : 0);
}

// A card of four pages, one every eight steps, each page naming its song.
QByteArray fourPages(const QString &song)
{
    QString text;
    for (int page = 0; page < 4; ++page)
        text += QStringLiteral("%1\r\n%2 %3\r\n").arg(page * 8 + 1).arg(song).arg(page + 1);
    return text.toUtf8();
}

// Counts the times a widget is shown, hidden and painted.
struct EventCount : QObject {
    int shows = 0, hides = 0, paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        shows += e->type() == QEvent::Show;
        hides += e->type() == QEvent::Hide;
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

// The window on the scripted device: songs are opened as the performer opens
// a song list.
struct Stage {
    TestApp app;
    TfrmMain *w = nullptr;

    TfrmMain *open(const QString &settingsText, const QStringList &songs)
    {
        app.writeSettings(settingsText);
        w = app.openList(songs);
        return w;
    }
    void playOn(int steps)
    {
        app.device.advance(steps);
        w->PlayTimerTimer();
    }
    TfrmWrd *card() const { return w->frmWrd; }
};

} // namespace

TEST(LyricsLookup, FindsTheCardInTheFolderOfEachMode)
{
    struct Row {
        const char *what;
        int mode;
        const char *folder; // in the test folder
        const char *cardAt; // in the test folder
        bool found;
    };
    const Row rows[] = {
        {"beside the song", 1, "lyrics", "songs/Song.txt", true},
        {"in the lyrics folder", 2, "lyrics", "lyrics/Song.txt", true},
        {"in the lyrics folder named with a trailing /", 2, "lyrics/", "lyrics/Song.txt", true},
        {"beside the song while the lyrics folder is chosen", 2, "lyrics", "songs/Song.txt", false},
        {"in the lyrics folder while beside the song is chosen", 1, "lyrics", "lyrics/Song.txt",
         false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Stage s;
        s.app.makeFile(QLatin1String(row.cardAt), "0\r\nharu\r\n9\r\nnatsu\r\n");
        s.open(settings(true, false, row.mode, s.app.path(QLatin1String(row.folder))),
               {QStringLiteral("songs/Song.mid")});
        EXPECT_EQ(s.w->lyricsMissing, !row.found);
        EXPECT_EQ(s.card()->isVisible(), row.found);
        EXPECT_EQ(s.card()->windowTitle(), row.found ? QStringLiteral("歌詞カード - Song.txt")
                                                     : QStringLiteral("歌詞カード"));
        EXPECT_EQ(s.card()->lyrics(), row.found ? QStringLiteral("haru") : QString());
        EXPECT_EQ(s.w->lstStep.items, row.found ? QStringList({"0", "9"}) : QStringList());
    }
}

TEST(LyricsLookup, CardWrittenAfterTheLoadIsFoundByRefreshOrTheToggle)
{
    Stage s;
    s.open(settings(true), {QStringLiteral("Song.mid")});
    ASSERT_TRUE(s.w->lyricsMissing);
    const QString card = s.app.makeFile(QStringLiteral("Song.txt"), "0\r\nharu\r\n");
    s.w->ShowLyricsCard(); // no card stays no card until the next reset
    EXPECT_FALSE(s.card()->isVisible());

    s.w->action("mnuWrdEditItem")->trigger(); // F5
    EXPECT_TRUE(s.card()->isVisible());
    EXPECT_EQ(s.card()->lyrics(), QStringLiteral("haru"));

    s.app.makeFile(QStringLiteral("Song.txt"), "0\r\nfuyu\r\n");
    s.w->action("mnuWrdItem")->trigger();
    EXPECT_FALSE(s.card()->isVisible());
    EXPECT_EQ(s.card()->windowTitle(), QStringLiteral("歌詞カード"));
    s.w->action("mnuWrdItem")->trigger();
    EXPECT_EQ(s.card()->lyrics(), QStringLiteral("fuyu"));

    // A card that turns into a damaged one hides the window without a word.
    s.app.makeFile(QStringLiteral("Song.txt"), "haru\r\n0\r\n");
    s.w->action("mnuWrdEditItem")->trigger();
    EXPECT_FALSE(s.card()->isVisible());
    EXPECT_TRUE(s.app.dialogs.boxes.isEmpty());
    Q_UNUSED(card);
}

TEST(LyricsLookup, ShiftJisCardOfAJapaneseSongTurnsItsPages)
{
    Stage s;
    QStringEncoder sjis("Shift_JIS");
    const QByteArray bytes = sjis(QStringLiteral("1\r\n星がひとつ\r\n光る\r\n9\r\n夜空の歌\r\n"));
    ASSERT_FALSE(sjis.hasError());
    s.app.makeFile(QStringLiteral("曲/夜空の歌.txt"), bytes);
    s.open(settings(false), {QStringLiteral("曲/夜空の歌.mid")});
    EXPECT_FALSE(s.card()->isVisible()) << "stopped, and not shown while stopped";
    EXPECT_EQ(s.card()->windowTitle(), QStringLiteral("歌詞カード - 夜空の歌.txt"));
    EXPECT_EQ(s.card()->lyrics(), QString()) << "the display reads 0, before the first mark";

    s.w->ButtonPlayClick();
    EXPECT_TRUE(s.card()->isVisible());
    s.playOn(1);
    EXPECT_EQ(s.card()->lyrics(), QStringLiteral("星がひとつ\r\n光る"));
    EXPECT_EQ(s.card()->lblWrd->text(), QStringLiteral("星がひとつ\n光る"));
    s.playOn(8);
    EXPECT_EQ(s.w->lblStep->text(), QStringLiteral("10"));
    EXPECT_EQ(s.card()->lyrics(), QStringLiteral("夜空の歌"));
    // Back to the top: the text goes with the position.
    s.w->ButtonPrevClick();
    EXPECT_EQ(s.card()->lyrics(), QString());
}

TEST(LyricsWindow, RunsTheShowFromItsKeys)
{
    Stage s;
    for (const char *name : {"a", "b"})
        s.app.makeFile(QStringLiteral("%1.txt").arg(QLatin1String(name)),
                       fourPages(QLatin1String(name)));
    s.open(settings(true), {QStringLiteral("a.mid"), QStringLiteral("b.mid")});
    TfrmWrd *card = s.card();
    ASSERT_TRUE(card->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(card));

    QTest::keyClick(card, Qt::Key_Return);
    EXPECT_TRUE(s.w->playing);
    EXPECT_TRUE(card->ButtonStop->isEnabled()) << "the window's buttons follow the commands";
    EXPECT_TRUE(card->ButtonPlay->isChecked());
    s.playOn(9);
    EXPECT_EQ(card->lyrics(), QStringLiteral("a 2"));

    QTest::keyClick(card, Qt::Key_Escape);
    EXPECT_FALSE(s.w->playing);
    EXPECT_FALSE(card->ButtonPlay->isChecked());
    EXPECT_TRUE(card->isVisible()) << "shown while stopped";

    QTest::keyClick(card, Qt::Key_Backspace);
    EXPECT_EQ(s.w->trackBar->Position(), 0);
    EXPECT_EQ(card->lyrics(), QString());

    QTest::keyClick(card, Qt::Key_Down);
    ASSERT_TRUE(s.w->LagTimer.isActive()) << "the key's release starts the delayed load";
    s.w->LagTimerTimer();
    EXPECT_EQ(s.w->songIndex, 1);
    EXPECT_EQ(card->windowTitle(), QStringLiteral("歌詞カード - b.txt"));

    // The main window's short cuts work here too: F5 reads the card again.
    s.app.makeFile(QStringLiteral("b.txt"), "0\r\nnew\r\n");
    ASSERT_TRUE(QTest::qWaitForWindowActive(card));
    QTest::keyClick(card, Qt::Key_F5);
    EXPECT_EQ(card->lyrics(), QStringLiteral("new"));

    // Shift moves to the main window and back.
    s.w->show();
    card->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(card));
    QTest::keyClick(card, Qt::Key_Shift);
    EXPECT_TRUE(QTest::qWaitForWindowActive(s.w));
    QTest::keyClick(s.w, Qt::Key_Shift);
    EXPECT_TRUE(QTest::qWaitForWindowActive(card));
}

TEST(LyricsWindow, TicksWithinAPageNeverRedrawTheText)
{
    Stage s;
    s.app.makeFile(QStringLiteral("a.txt"), fourPages(QStringLiteral("a")));
    s.open(settings(false), {QStringLiteral("a.mid")});
    s.w->ButtonPlayClick();
    s.playOn(1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s.card()));
    EventCount count;
    s.card()->lblWrd->installEventFilter(&count);
    QCoreApplication::processEvents();
    count.paints = 0;

    for (int i = 0; i < 6; ++i) { // steps 2 to 7: the first page throughout
        s.playOn(1);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(s.card()->lyrics(), QStringLiteral("a 1"));
    EXPECT_EQ(count.paints, 0);

    s.playOn(2); // step 9
    QCoreApplication::processEvents();
    EXPECT_EQ(s.card()->lyrics(), QStringLiteral("a 2"));
    EXPECT_GT(count.paints, 0);
}

namespace {

// The show on the real engine, moved on by hand in 50 ms ticks.
struct EngineStage : EngineShow {
    EngineStage() : EngineShow(engine::Driver::Mode::Manual) {}

    // Songs of two bars (32 steps, four seconds) with four-page cards.
    TfrmMain *open(const QString &settingsText, const QStringList &marks)
    {
        app.writeSettings(settingsText);
        QStringList entries;
        for (int i = 0; i < marks.size(); ++i) {
            const QString name = QStringLiteral("s%1").arg(i + 1);
            const QString song = app.path(name + QStringLiteral(".mid"));
            writeQuarterNotes(song, 61 + i, 8, 120);
            app.makeFile(name + QStringLiteral(".txt"), fourPages(name));
            entries << marks[i] + QStringLiteral(" ") + song;
        }
        return EngineShow::open(entries);
    }
    void tick(TfrmMain *m)
    {
        output->advanceBy(50'000);
        QCoreApplication::processEvents();
        if (m->PlayTimer.isActive())
            m->PlayTimerTimer();
    }
};

// What the lyrics window showed tick by tick: a letter per tick, "v" shown or
// "-" hidden, and the pages in the order they were shown.
struct Watch {
    QString visibility;
    QStringList pages;
    void look(TfrmMain *m)
    {
        visibility += m->frmWrd->isVisible() ? QLatin1Char('v') : QLatin1Char('-');
        const QString page = m->frmWrd->lyrics();
        if (!page.isEmpty() && (pages.isEmpty() || pages.last() != page))
            pages << page;
    }
};

} // namespace

TEST(LyricsOnTheEngine, MedleyShowsTheWindowWhilePlayingOrAlwaysWhenShownWhileStopped)
{
    for (const bool whileStopped : {false, true}) {
        SCOPED_TRACE(whileStopped ? "shown while stopped" : "shown while playing");
        EngineStage show;
        TfrmMain *m = show.open(settings(whileStopped), {"1", "0", "0"});
        ASSERT_TRUE(m->songLoaded);
        EXPECT_EQ(m->frmWrd->isVisible(), whileStopped) << "a loaded song, not playing";
        EventCount count;
        m->frmWrd->installEventFilter(&count);

        Watch watch;
        m->ButtonPlayClick();
        for (int i = 0; i < 400 && (m->playing || m->songIndex < 2); ++i) {
            show.tick(m);
            watch.look(m);
        }
        ASSERT_EQ(m->songIndex, 2);
        EXPECT_EQ(watch.pages, (QStringList{"s1 1", "s1 2", "s1 3", "s1 4", "s2 1", "s2 2",
                                            "s2 3", "s2 4"}));
        // Up through the medley; at the end of the unmarked second song it
        // goes unless shown while stopped.
        const qsizetype firstHidden = watch.visibility.indexOf(QLatin1Char('-'));
        EXPECT_EQ(firstHidden, whileStopped ? -1 : watch.visibility.size() - 1)
            << watch.visibility.toStdString();
        // Hidden and shown again between the two songs of the medley, unless
        // shown while stopped.
        EXPECT_EQ(count.hides, whileStopped ? 0 : 2);
        EXPECT_EQ(m->frmWrd->windowTitle(), QStringLiteral("歌詞カード - s3.txt"));

        // The third song plays: the window is up again.
        m->ButtonPlayClick();
        EXPECT_TRUE(m->frmWrd->isVisible());
        show.tick(m);
        m->ButtonStopClick();
        EXPECT_EQ(m->frmWrd->isVisible(), whileStopped);
    }
}

TEST(LyricsOnTheEngine, QsModeKeepsTheWindowHiddenDuringTheStandbyRun)
{
    EngineStage show;
    TfrmMain *m = show.open(settings(false, true), {"0", "0"});
    ASSERT_EQ(m->playerState, QsWaiting);
    EXPECT_FALSE(m->frmWrd->isVisible());

    Watch watch;
    m->ButtonSBClick();
    for (int i = 0; i < 100 && m->playerState != StandbyDone; ++i) {
        show.tick(m);
        watch.look(m);
    }
    ASSERT_EQ(m->playerState, StandbyDone);
    EXPECT_FALSE(watch.visibility.contains(QLatin1Char('v'))) << watch.visibility.toStdString();
    EXPECT_EQ(m->frmWrd->lyrics(), QStringLiteral("s1 2")) << "parked at step 16, page two";

    m->ButtonPlayClick();
    EXPECT_TRUE(m->frmWrd->isVisible());
    // Played to its end, the next song stands by at once, hidden again.
    for (int i = 0; i < 200 && m->songIndex == 0; ++i)
        show.tick(m);
    ASSERT_EQ(m->songIndex, 1);
    EXPECT_EQ(m->playerState, StandingBy);
    EXPECT_FALSE(m->frmWrd->isVisible());
}
