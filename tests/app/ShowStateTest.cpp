#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QListWidgetItem>
#include <gtest/gtest.h>

#include "support/TestApp.h"
#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/ShowRecorder.h"
#include "app/ShowState.h"
#include "player/PlayerState.h"
#include "songlist/CheckListBox.h"

using namespace kazoon;
using kazoon::test::TestApp;

namespace {

QByteArray header(const char *rest)
{
    return QByteArray("Kazoon show state 1\n") + rest;
}

TEST(ShowStateFile, WrittenStatesReadBackTheSame)
{
    const ShowState states[] = {
        {QStringLiteral("/home/歌手/本番.mnu"), 2, false, {}, 1718000000000},
        {QString(), 0, true, {QStringLiteral("1 /曲/a b.mid"), QStringLiteral("0 /曲/c=d.MID")}, 0},
        {QStringLiteral("/set.mnu"), 1, true, {"0 /a.mid", "1 /b.mid"}, 5},
    };
    for (const ShowState &s : states) {
        const QByteArray bytes = showStateBytes(s);
        ASSERT_FALSE(bytes.isEmpty());
        EXPECT_EQ(parseShowState(bytes), s) << bytes.toStdString();
    }
    // What this form cannot hold is not written at all.
    EXPECT_TRUE(showStateBytes({QStringLiteral("/a\nb.mnu"), 0, false, {}, 0}).isEmpty());
    EXPECT_TRUE(showStateBytes({QString(), 0, true, {"0 /a\r.mid"}, 0}).isEmpty());
}

TEST(ShowStateFile, AnythingButACompleteStateIsNoState)
{
    const QByteArray good = header("list=/a.mnu\nsong=0\nmodified=0\nstarted=0\n");
    ASSERT_TRUE(parseShowState(good).has_value());
    const std::pair<const char *, QByteArray> rows[] = {
        {"empty", QByteArray()},
        {"garbage", QByteArray("\x00\xff\xfe garbage", 12)},
        {"other version", QByteArray(good).replace("state 1", "state 2")},
        {"cut short", good.chopped(1)},
        {"CR LF", QByteArray(good).replace("\n", "\r\n")},
        {"missing key", header("list=/a.mnu\nsong=0\nmodified=0\n")},
        {"twice", header("list=/a.mnu\nsong=0\nsong=1\nmodified=0\nstarted=0\n")},
        {"unknown key", header("list=/a.mnu\nsong=0\nmodified=0\nstarted=0\nx=1\n")},
        {"no equals", header("list=/a.mnu\nsong=0\nmodified=0\nstarted=0\nentry\n")},
        {"negative song", header("list=/a.mnu\nsong=-1\nmodified=0\nstarted=0\n")},
        {"signed song", header("list=/a.mnu\nsong=+1\nmodified=0\nstarted=0\n")},
        {"huge song", header("list=/a.mnu\nsong=99999999999999999999\nmodified=0\nstarted=0\n")},
        {"modified 2", header("list=/a.mnu\nsong=0\nmodified=2\nstarted=0\n")},
        {"new list unmodified", header("list=\nsong=0\nmodified=0\nstarted=0\n")},
        {"modified without lines", header("list=/a.mnu\nsong=0\nmodified=1\nstarted=0\n")},
        {"song past the lines", header("list=\nsong=1\nmodified=1\nstarted=0\nentry=0 /a.mid\n")},
        {"lines of a saved list", header("list=/a.mnu\nsong=0\nmodified=0\nstarted=0\nentry=0 /a.mid\n")},
        {"broken line", header("list=\nsong=0\nmodified=1\nstarted=0\nentry=x\n")},
        {"unmarked line", header("list=\nsong=0\nmodified=1\nstarted=0\nentry=/a.mid\n")},
        {"key after lines",
         header("list=\nsong=0\nmodified=1\nstarted=0\nentry=0 /a.mid\nsong=0\n")},
        {"not UTF-8", header("list=/\x82\xa0.mnu\nsong=0\nmodified=0\nstarted=0\n")},
        {"NUL", header("list=/a\0.mnu\nsong=0\nmodified=0\nstarted=0\n")},
    };
    for (const auto &[name, bytes] : rows)
        EXPECT_FALSE(parseShowState(bytes).has_value()) << name;
}

// Asks the main window to close as the close box does; true when it closed.
bool requestClose(TfrmMain *m)
{
    QCloseEvent event;
    QCoreApplication::sendEvent(m, &event);
    return event.isAccepted();
}

class ShowRecovery : public ::testing::Test {
protected:
    TestApp app;
    QStringList songs;
    QString listPath;

    void SetUp() override
    {
        for (const char *name : {"songs/a.mid", "songs/b.mid", "songs/c.mid"})
            songs << app.makeSong(name);
        listPath = app.makeList("show.mnu", {"0 " + songs[0], "0 " + songs[1], "0 " + songs[2]});
        app.start();
    }

    TfrmMain *w() const { return app.main(); }
    QString statePath() const { return app.path("Kazoon.show"); }
    bool stateExists() const { return QFileInfo::exists(statePath()); }

    void open(const QString &path)
    {
        app.dialogs.openFile(path);
        w()->action("mnuOpenItem")->trigger();
        QCoreApplication::processEvents();
    }
    void toggle(int i)
    {
        w()->lstLive->setCurrentRow(i);
        QListWidgetItem *item = w()->lstLive->item(i);
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        QCoreApplication::processEvents();
    }
    void choose(int i)
    {
        w()->lstLive->setCurrentRow(i);
        w()->lstLiveClick();
        QCoreApplication::processEvents();
    }
    // The program killed: the windows go without the close.
    void kill() { app.stop(); }
    void restart(int answer)
    {
        app.dialogs.boxes.clear();
        app.device.calls.clear();
        app.start();
        app.dialogs.answer(answer);
        w()->showRecorder().offerRestore();
    }
};

TEST_F(ShowRecovery, AKilledShowComesBackWithItsMarksSongAndChanges)
{
    open(listPath);
    toggle(1);
    choose(2);
    ASSERT_TRUE(w()->listModified);
    kill();
    ASSERT_TRUE(stateExists());

    restart(mb::IdYes);
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].caption, QStringLiteral("カズーン"));
    EXPECT_EQ(app.dialogs.boxes[0].flags, mb::YesNo | mb::IconQuestion);
    EXPECT_TRUE(app.dialogs.boxes[0].text.contains(QStringLiteral("show.mnu")));
    EXPECT_TRUE(app.dialogs.boxes[0].text.contains(QStringLiteral("3曲目")));

    EXPECT_EQ(w()->lstDmy.items,
              (QStringList{"0 " + songs[0], "1 " + songs[1], "0 " + songs[2]}));
    EXPECT_TRUE(w()->lstLive->isChecked(1));
    EXPECT_TRUE(w()->listModified);
    EXPECT_EQ(w()->listFileName, listPath);
    EXPECT_EQ(w()->windowTitle(), QStringLiteral("カズーン - show.mnu"));
    EXPECT_EQ(w()->lstLive->itemIndex(), 2);
    EXPECT_EQ(app.device.openFile, songs[2].toStdString());
    // Loaded and waiting: nothing plays by itself.
    EXPECT_EQ(w()->playerState, Ready);
    EXPECT_FALSE(app.device.calls.contains("Play"));
    EXPECT_TRUE(w()->cmdPlay->isEnabled());
    EXPECT_TRUE(w()->mnuOverItem->isEnabled());
    EXPECT_TRUE(app.dialogs.allUsed());
}

TEST_F(ShowRecovery, AnUnsavedNewListComesBackAsANewList)
{
    open(listPath);
    // A new list is made from the songs of the open one, as the editor's OK does.
    w()->lstDmy.items = {"0 " + songs[2], "0 " + songs[0]};
    w()->setWindowTitle(kNewListCaption);
    w()->listModified = true;
    w()->showRecorder().save();
    kill();

    restart(mb::IdYes);
    EXPECT_EQ(w()->windowTitle(), kNewListCaption);
    EXPECT_EQ(w()->lstDmy.items, (QStringList{"0 " + songs[2], "0 " + songs[0]}));
    EXPECT_TRUE(w()->listModified);
    EXPECT_FALSE(w()->mnuOverItem->isEnabled());
    EXPECT_TRUE(app.dialogs.boxes[0].text.contains(QStringLiteral("新規曲リスト")));
}

TEST_F(ShowRecovery, ASavedListIsReadAgainFromItsFile)
{
    open(listPath);
    choose(1);
    kill();
    QFile state(statePath());
    ASSERT_TRUE(state.open(QIODevice::ReadOnly));
    EXPECT_FALSE(state.readAll().contains("entry="));

    restart(mb::IdYes);
    EXPECT_FALSE(w()->listModified);
    EXPECT_EQ(w()->lstLive->itemIndex(), 1);
    EXPECT_EQ(app.device.openFile, songs[1].toStdString());
}

TEST_F(ShowRecovery, ACleanExitLeavesNoStateAndNoQuestion)
{
    open(listPath);
    choose(1);
    ASSERT_TRUE(stateExists());
    ASSERT_TRUE(requestClose(w()));
    EXPECT_FALSE(stateExists());
    EXPECT_TRUE(app.settingsExist());
    kill();
    restart(mb::IdYes);
    EXPECT_TRUE(app.dialogs.boxes.isEmpty());
    EXPECT_EQ(w()->lstDmy.count(), 0);
}

TEST_F(ShowRecovery, NoForgetsTheShow)
{
    open(listPath);
    kill();
    restart(mb::IdNo);
    EXPECT_FALSE(stateExists());
    EXPECT_EQ(w()->lstDmy.count(), 0);
    EXPECT_EQ(app.device.openFile, "");
}

TEST_F(ShowRecovery, AFatalErrorKeepsTheShowForTheNextStart)
{
    open(listPath);
    w()->AppException(QStringLiteral("エラー"));
    EXPECT_TRUE(requestClose(w())); // the ending program closes without a word
    kill();
    EXPECT_TRUE(stateExists());
}

TEST_F(ShowRecovery, DamagedOrStaleStatesSayWhyAndLoseNothingElse)
{
    struct Row {
        const char *name;
        std::function<void()> damage;
        QString says;
        bool kept; // offered again at the next start
    };
    const Row rows[] = {
        {"garbage", [&] { app.makeFile("Kazoon.show", "garbage\n"); },
         QStringLiteral("記録ファイルが壊れている"), false},
        {"list gone", [&] { QFile::remove(listPath); },
         QStringLiteral("次の曲リストファイルが見つかりません。"), true},
        {"song gone", [&] { QFile::remove(songs[2]); },
         QStringLiteral("次の曲ファイルが見つかりません。"), true},
        {"list shorter", [&] { app.makeList("show.mnu", {"0 " + songs[0]}); },
         QStringLiteral("前回の演奏のあとで変更されています"), false},
        {"list broken", [&] { app.makeFile("show.mnu", "garbage"); },
         QStringLiteral("前回の演奏のあとで変更されています"), false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        for (int i = 0; i < 3; ++i)
            app.makeSong(QStringLiteral("songs/%1.mid").arg(QChar(u'a' + i)));
        app.makeList("show.mnu", {"0 " + songs[0], "0 " + songs[1], "0 " + songs[2]});
        app.writeSettings("[QS_Mode]\nSet=0\n");
        app.start();
        open(listPath);
        choose(2);
        kill();
        r.damage();

        restart(mb::IdYes); // a damaged file asks nothing: the box takes the answer as OK
        ASSERT_FALSE(app.dialogs.boxes.isEmpty());
        const auto &box = app.dialogs.boxes.constLast();
        EXPECT_TRUE(box.text.contains(r.says)) << box.text.toStdString();
        EXPECT_EQ(box.flags, mb::Ok | mb::IconStop);
        EXPECT_EQ(box.caption, QStringLiteral("カズーン"));
        EXPECT_EQ(w()->lstDmy.count(), 0);
        EXPECT_EQ(app.device.openFile, "");
        EXPECT_EQ(stateExists(), r.kept);
        EXPECT_EQ(app.readSettings(), "[QS_Mode]\nSet=0\n");
        // A stale state is left alone by a clean exit of a run that showed nothing.
        EXPECT_TRUE(requestClose(w()));
        EXPECT_EQ(stateExists(), r.kept);
        QFile::remove(statePath());
        kill();
        app.dialogs = {};
    }
}

} // namespace
