#include <QAction>
#include <QJsonArray>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "BandClient.h"
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "bandview/BandView.h"
#include "bandview/TfrmStage.h"
#include "songlist/CheckListBox.h"
#include "support/TestApp.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

const QString kCode = QStringLiteral("pqrstuvwxyz2");

// The show with its band view on the loopback address and a page open.
struct BandShow {
    TestApp app;
    TfrmMain *w = nullptr;
    std::unique_ptr<PageClient> page;

    explicit BandShow(const QString &settings = QStringLiteral("[Words]\r\nSet=1\r\nInd_Option=1\r\n"))
    {
        // The first song's card: a page at step 1 and one at step 9.
        app.makeFile(QStringLiteral("Alpha.txt"), "1\r\nはじめの歌詞\r\n二行目\r\n9\r\nサビの歌詞\r\n");
        app.writeSettings(settings);
        w = app.openList({QStringLiteral("Alpha.mid"), QStringLiteral("Bravo.mid"),
                          QStringLiteral("Charlie.mid")});
        BandView &view = w->bandView();
        view.setListenAddress(QHostAddress::LocalHost);
        const QString reason = view.apply({true, 0, kCode});
        EXPECT_TRUE(reason.isEmpty()) << reason.toStdString();
        page = std::make_unique<PageClient>(view.server().port(), kCode);
    }
    QJsonObject last() const { return page->last(); }
};

QStringList titles(const QJsonObject &o)
{
    QStringList out;
    for (const QJsonValue &v : o.value(QStringLiteral("songs")).toArray())
        out << v.toObject().value(QStringLiteral("title")).toString() +
                   (v.toObject().value(QStringLiteral("medley")).toBool() ? QStringLiteral("→") : QString());
    return out;
}

} // namespace

TEST(BandViewShow, PagesFollowTheSongThePageOfLyricsTheStateAndTheList)
{
    BandShow s;
    ASSERT_TRUE(s.page->waitFor("current", QStringLiteral("Alpha")));
    QJsonObject o = s.last();
    EXPECT_EQ(o.value(QStringLiteral("next")).toString(), QStringLiteral("Bravo"));
    EXPECT_EQ(o.value(QStringLiteral("stateText")).toString(), QStringLiteral("待機中"));
    EXPECT_EQ(o.value(QStringLiteral("index")).toInt(), 0);
    EXPECT_EQ(titles(o), QStringList({"Alpha", "Bravo", "Charlie"}));
    EXPECT_TRUE(o.value(QStringLiteral("nextLine")).toString().isEmpty());

    // Play: the state, then a page of lyrics as the song moves on.
    s.w->ButtonPlayClick();
    EXPECT_TRUE(s.page->waitFor("stateText", QStringLiteral("再生中")));
    s.app.device.advance(1);
    s.w->PlayTimerTimer();
    EXPECT_TRUE(s.page->waitFor("lyrics", QStringLiteral("はじめの歌詞\n二行目")));
    s.app.device.advance(8);
    s.w->PlayTimerTimer();
    EXPECT_TRUE(s.page->waitFor("lyrics", QStringLiteral("サビの歌詞")));

    // Stop mid-song.
    QTest::keyClick(s.w, Qt::Key_Escape);
    EXPECT_TRUE(s.page->waitFor("stateText", QStringLiteral("停止中")));

    // The next song: the current song, the next and the mark in the list.
    QTest::keyClick(s.w, Qt::Key_Down);
    ASSERT_TRUE(s.page->waitFor("current", QStringLiteral("Bravo")));
    EXPECT_EQ(s.last().value(QStringLiteral("next")).toString(), QStringLiteral("Charlie"));
    EXPECT_EQ(s.last().value(QStringLiteral("index")).toInt(), 1);

    // A list change: every song runs straight on.
    s.w->action(QStringLiteral("mnuMedleyItem"))->trigger();
    EXPECT_TRUE(runUntil([&] { return titles(s.last()) == QStringList({"Alpha→", "Bravo→", "Charlie"}); }));
    EXPECT_TRUE(s.last().value(QStringLiteral("medley")).toBool());

    // The last song has no next one.
    QTest::keyClick(s.w, Qt::Key_End);
    ASSERT_TRUE(s.page->waitFor("current", QStringLiteral("Charlie")));
    EXPECT_EQ(s.last().value(QStringLiteral("next")).toString(), QString());
    EXPECT_FALSE(s.last().value(QStringLiteral("medley")).toBool());
}

TEST(BandViewShow, NothingIsSentWhileNothingChanges)
{
    BandShow s;
    ASSERT_TRUE(s.page->waitFor("current", QStringLiteral("Alpha")));
    // Once the set clock has read the songs' lengths the show stands still.
    ASSERT_TRUE(s.page->waitFor("timeLeft", s.w->findChild<QLabel *>(QStringLiteral("lblTimeLeft"))->text()));
    QTest::qWait(2 * BandView::kPollMs);
    const qsizetype before = s.page->messages.size();
    QTest::qWait(10 * BandView::kPollMs);
    EXPECT_EQ(s.page->messages.size(), before);
}

TEST(BandViewShow, StageViewShowsTheSameContentAndKeepsItsPlace)
{
    BandShow s;
    TfrmStage *stage = s.w->bandView().stage();
    ASSERT_NE(stage, nullptr);
    EXPECT_FALSE(stage->isVisible());
    QAction *item = s.w->findChild<QAction *>(QStringLiteral("mnuStageItem"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("ステージ表示(&V)"));
    item->trigger();
    EXPECT_TRUE(stage->isVisible());
    EXPECT_EQ(stage->windowTitle(), QStringLiteral("ステージ表示"));
    EXPECT_EQ(stage->lblStageSong->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(stage->lblStageNext->text(), QStringLiteral("次: Bravo"));
    EXPECT_EQ(stage->lblStageState->text(), QStringLiteral("待機中"));
    EXPECT_EQ(stage->lblStageTime->text(), s.w->findChild<QLabel *>(QStringLiteral("lblTimeLeft"))->text());

    QTest::keyClick(s.w, Qt::Key_Down);
    EXPECT_TRUE(runUntil([&] { return stage->lblStageSong->text() == QStringLiteral("Bravo"); }));
    EXPECT_EQ(stage->lblStageNext->text(), QStringLiteral("次: Charlie"));

    // Keys pressed on the stage view run the show as on the main window.
    QTest::keyClick(stage, Qt::Key_Up);
    EXPECT_TRUE(runUntil([&] { return stage->lblStageSong->text() == QStringLiteral("Alpha"); }));

    // Value labels are read as their values; their purpose is described.
    for (QLabel *label : {stage->lblStageSong, stage->lblStageNext, stage->lblStageState, stage->lblStageTime}) {
        EXPECT_TRUE(label->accessibleName().isEmpty()) << label->objectName().toStdString();
        EXPECT_FALSE(label->accessibleDescription().isEmpty()) << label->objectName().toStdString();
    }

    // Size and openness are kept in the settings and come back.
    stage->resize(800, 450);
    s.w->writeSettings();
    const IniFile ini(s.app.settingsPath());
    EXPECT_EQ(ini.readInteger(QStringLiteral("Stage"), QStringLiteral("Width"), 0), 800);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Stage"), QStringLiteral("Height"), 0), 450);
    EXPECT_TRUE(ini.readBool(QStringLiteral("Stage"), QStringLiteral("Visible"), false));
    EXPECT_TRUE(ini.readBool(QStringLiteral("BandView"), QStringLiteral("Enabled"), false));
    EXPECT_EQ(ini.readString(QStringLiteral("BandView"), QStringLiteral("Code"), QString()), kCode);

    TestApp again;
    // Turned off, so that the second program does not take the usual port.
    again.writeSettings(s.app.readSettings().replace(QStringLiteral("Enabled=1"), QStringLiteral("Enabled=0")));
    again.start();
    TfrmStage *reopened = again.main()->bandView().stage();
    EXPECT_TRUE(reopened->isVisible());
    EXPECT_EQ(reopened->size(), QSize(800, 450));
}

TEST(BandViewShow, ProgramWithTheViewNeverSetUpWritesNoSection)
{
    TestApp app;
    app.start();
    app.main()->writeSettings();
    EXPECT_FALSE(app.readSettings().contains(QStringLiteral("[BandView]")));
    EXPECT_FALSE(app.readSettings().contains(QStringLiteral("[Stage]")));
    EXPECT_FALSE(app.main()->bandView().server().isListening());
}

TEST(BandViewShow, TheNextLineGoesWithThePageWhenTheLyricsWindowShowsIt)
{
    BandShow s(QStringLiteral("[Words]\r\nSet=1\r\nInd_Option=1\r\nNextLine=1\r\n"));
    s.w->ButtonPlayClick();
    s.app.device.advance(1);
    s.w->PlayTimerTimer();
    ASSERT_TRUE(s.page->waitFor("lyrics", QStringLiteral("はじめの歌詞\n二行目")));
    EXPECT_EQ(s.last().value(QStringLiteral("nextLine")).toString(), QStringLiteral("サビの歌詞"));

    BandShow off;
    off.w->ButtonPlayClick();
    off.app.device.advance(1);
    off.w->PlayTimerTimer();
    ASSERT_TRUE(off.page->waitFor("lyrics", QStringLiteral("はじめの歌詞\n二行目")));
    EXPECT_EQ(off.last().value(QStringLiteral("nextLine")).toString(), QString());
}
