#include <QDir>
#include <QFile>
#include <QCheckBox>
#include <QLabel>
#include <QListWidgetItem>
#include <QMenu>
#include <QStringEncoder>
#include <gtest/gtest.h>

#include "support/TestApp.h"
#include "app/Command.h"
#include "app/MainWindow.h"
#include "options/TfrmOption.h"
#include "songlist/CheckListBox.h"
#include "songlist/SongListFile.h"

using namespace kazoon;
using kazoon::test::TestApp;

namespace {

const QString kBroken = QStringLiteral(
    "曲リストファイルを開けません。\r\nこのファイルは壊れているか、正しい形式ではありません。");
const QString kMissing = QStringLiteral(
    "曲リストファイルを開けません。\r\n\r\nリストに書かれている、次の曲ファイルが見つかりません。"
    "\r\nパスとファイル名が正しいか確認してください。\r\n\r\n");
const QString kRepeatRemoved = QStringLiteral(
    "オプション設定で最後の曲のメドレーチェックが許可されていません。\r\n"
    "リピート再生の設定は解除されます。");
const QString kLastSongRefused =
    QStringLiteral("最後の曲をリピート再生するには、オプション設定を行ってください。");

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList marksOf(TfrmMain *w)
{
    QStringList marks;
    for (int i = 0; i < w->lstLive->count(); ++i)
        marks << (w->lstLive->isChecked(i) ? "1" : "0");
    return marks;
}

class SongListWindow : public ::testing::Test {
protected:
    TestApp app;
    TfrmMain *w = nullptr;
    QStringList songs; // full paths of a.mid, b.mid, c.mid

    void SetUp() override
    {
        app.start();
        w = app.main();
        for (const char *name : {"songs/a.mid", "songs/b.mid", "songs/c.mid"})
            songs << app.makeSong(name);
    }

    void setRepeat(bool on) { w->frmOption->chkOnRep->setChecked(on); }

    // A list of the songs with these marks ("0", "1" or any other first character).
    QString list(const QString &name, const QStringList &marks)
    {
        QStringList entries;
        for (int i = 0; i < marks.size(); ++i)
            entries << marks[i] + " " + songs[i];
        return app.makeList(name, entries);
    }

    void open(const QString &path)
    {
        app.dialogs.openFile(path);
        w->action("mnuOpenItem")->trigger();
    }

    // What the performer does: click a song, then its box.
    void toggle(int i)
    {
        w->lstLive->setCurrentRow(i);
        QListWidgetItem *item = w->lstLive->item(i);
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }

    int opens() const { return int(app.device.calls.filter(QStringLiteral("Open ")).size()); }
};

TEST_F(SongListWindow, OpenFillsBothListsAndTheCommands)
{
    const QString path = list("show.mnu", {"0", "1", "x"});
    open(path);
    EXPECT_EQ(app.dialogs.openRequests.at(0).filter, QStringLiteral("曲リストファイル(*.mnu)"));
    EXPECT_EQ(app.dialogs.openRequests.at(0).folder, QString());
    ASSERT_EQ(w->lstLive->count(), 3);
    EXPECT_EQ(w->lstLive->lineText(0), "a.mid");
    EXPECT_EQ(w->lstLive->lineText(2), "c.mid");
    EXPECT_EQ(marksOf(w), (QStringList{"0", "1", "0"}));
    EXPECT_EQ(w->lstDmy.items, (QStringList{"0 " + songs[0], "1 " + songs[1], "x " + songs[2]}));
    EXPECT_EQ(w->lstLive->itemIndex(), 0);
    EXPECT_EQ(w->lstDmy.itemIndex, 0);
    EXPECT_EQ(w->listFileName, path);
    EXPECT_FALSE(w->listModified);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("カズーン - show.mnu"));
    EXPECT_EQ(app.device.openFile, songs[0].toStdString());
    EXPECT_EQ(w->lstLive->toolTip(), QStringLiteral("a.midの後、MC"));
    EXPECT_TRUE(w->cmdMedley->isEnabled());
    EXPECT_TRUE(w->cmdClear->isEnabled());
    for (const char *name : {"mnuSaveItem", "mnuOverItem", "ButtonSave", "ButtonEdit"})
        EXPECT_TRUE(w->action(name)->isEnabled()) << name;
    EXPECT_TRUE(w->mnuEdit->menuAction()->isEnabled());
    EXPECT_TRUE(w->mnuPlayer->menuAction()->isEnabled());
    EXPECT_FALSE(w->cmdLesson->isEnabled()); // lesson mode not permitted
    EXPECT_TRUE(app.dialogs.boxes.isEmpty());

    // The next open starts in the folder of this list.
    app.dialogs.openFile(QString());
    w->action("mnuOpenItem")->trigger();
    EXPECT_EQ(app.dialogs.openRequests.at(1).folder, app.dir());
    EXPECT_FALSE(w->fileDialogOpen);
}

TEST_F(SongListWindow, BulkCommandStatesAfterOpen)
{
    struct Row { QStringList marks; bool medley, clear; };
    const Row rows[] = {
        {{"1", "1", "0"}, false, true},
        {{"0", "0", "0"}, true, false},
        {{"1"}, false, false},
        {{"0"}, false, false},
    };
    setRepeat(true);
    for (const Row &r : rows) {
        open(list("bulk.mnu", r.marks));
        EXPECT_EQ(w->cmdMedley->isEnabled(), r.medley) << r.marks.join(",").toStdString();
        EXPECT_EQ(w->cmdClear->isEnabled(), r.clear) << r.marks.join(",").toStdString();
    }
}

TEST_F(SongListWindow, BrokenFilesLeaveTheCurrentListAlone)
{
    const QString good = list("good.mnu", {"0", "0"});
    open(good);
    const QString hint = w->lstLive->toolTip();

    QByteArray junk;
    for (int i = 0; i < 2000; ++i)
        junk.append(char((i * 131 + 7) & 0xFF));
    const QList<QByteArray> broken{
        "",
        ("0 " + songs[0] + "\r\n\r\n0 " + songs[1] + "\r\n").toUtf8(),
        ("0 " + songs[0] + "\r\n2 " + app.path("songs/a.txt") + "\r\n").toUtf8(),
        ("x " + songs[0] + ".MID\r\n").toUtf8(),
        junk,
    };
    for (const QByteArray &bytes : broken) {
        app.dialogs.boxes.clear();
        open(app.makeFile("broken.mnu", bytes));
        ASSERT_EQ(app.dialogs.boxes.size(), 1);
        EXPECT_EQ(app.dialogs.boxes[0].text, kBroken);
        EXPECT_EQ(app.dialogs.boxes[0].caption, QStringLiteral("カズーン"));
        EXPECT_EQ(app.dialogs.boxes[0].flags, 0x10);
        EXPECT_EQ(w->listFileName, good);
        EXPECT_EQ(w->windowTitle(), QStringLiteral("カズーン - good.mnu"));
        EXPECT_EQ(w->lstLive->count(), 2);
        EXPECT_EQ(w->lstDmy.count(), 2);
        EXPECT_EQ(w->lstLive->toolTip(), hint);
        EXPECT_FALSE(w->msgBoxOpen);
    }

    // Too large to be a song list: refused without reading it.
    QFile huge(app.path("huge.mnu"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write(("0 " + songs[0] + "\r\n").toUtf8());
    ASSERT_TRUE(huge.resize(songlist::kMaxFileSize + 1));
    huge.close();
    app.dialogs.boxes.clear();
    open(app.path("huge.mnu"));
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, kBroken);

    // A name typed in the dialog that is no file.
    app.dialogs.boxes.clear();
    open(app.path("nowhere.mnu"));
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text,
              QStringLiteral("曲リストファイルを読み込めません。\r\n") + app.path("nowhere.mnu"));
    EXPECT_EQ(w->listFileName, good);
    EXPECT_EQ(w->lstLive->count(), 2);
}

TEST_F(SongListWindow, MissingSongBoxNamesThePath)
{
    open(app.makeList("gone.mnu", {"0 " + songs[0], "1 " + app.path("songs/gone.mid"),
                                   "0 " + app.path("songs/also-gone.mid")}));
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, kMissing + app.path("songs/gone.mid"));
    EXPECT_EQ(app.dialogs.boxes[0].flags, 0x10);
    EXPECT_EQ(w->lstLive->count(), 0);
    EXPECT_TRUE(w->listFileName.isEmpty());
    EXPECT_EQ(w->windowTitle(), kNewListCaption);

    // A path without a mark passes the format check on its ending; its first
    // two characters are then taken for the mark.
    app.dialogs.boxes.clear();
    open(app.makeList("nomark.mnu", {songs[0]}));
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, kMissing + songs[0].mid(2));
}

TEST_F(SongListWindow, UpperCaseExtensionAndShiftJisListOpen)
{
    const QString upper = app.makeSong(QStringLiteral("曲/カズーンのテーマ.MID"));
    QStringEncoder sjis("Shift_JIS");
    const QByteArray bytes = sjis(QStringLiteral("1 ") + upper + QStringLiteral("\r\n0 ") + songs[1]
                                  + QStringLiteral("\r\n"));
    ASSERT_FALSE(sjis.hasError());
    open(app.makeFile("sjis.mnu", bytes));
    EXPECT_TRUE(app.dialogs.boxes.isEmpty()) << app.dialogs.boxes.value(0).text.toStdString();
    ASSERT_EQ(w->lstLive->count(), 2);
    EXPECT_EQ(w->lstLive->lineText(0), QStringLiteral("カズーンのテーマ.MID"));
    EXPECT_TRUE(w->lstLive->isChecked(0));
    EXPECT_EQ(w->lstDmy.items.at(0), QStringLiteral("1 ") + upper);
}

TEST_F(SongListWindow, RepeatCorrectionAtOpen)
{
    open(list("repeat.mnu", {"1", "1", "1"}));
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, kRepeatRemoved);
    EXPECT_EQ(app.dialogs.boxes[0].flags, 0x10);
    EXPECT_EQ(marksOf(w), (QStringList{"1", "1", "0"}));
    EXPECT_EQ(w->lstDmy.items.at(2), "0 " + songs[2]);
    EXPECT_TRUE(w->listModified);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("カズーン - repeat.mnu"));
    EXPECT_TRUE(w->cmdMedley->isEnabled());
    EXPECT_TRUE(w->cmdClear->isEnabled());

    // Permitted: the mark stays and nothing is changed.
    app.dialogs.boxes.clear();
    app.dialogs.answer(mb::IdNo);
    setRepeat(true);
    open(list("repeat.mnu", {"1", "1", "1"}));
    EXPECT_EQ(app.dialogs.boxes.size(), 1); // the save question only
    EXPECT_EQ(marksOf(w), (QStringList{"1", "1", "1"}));
    EXPECT_FALSE(w->listModified);
}

TEST_F(SongListWindow, SaveAsAndOverwriteWriteTheListByteForByte)
{
    const QString original = list("show.mnu", {"0", "1", "0"});
    open(original);
    const QString copy = app.path("copy.mnu");
    app.dialogs.saveFile(copy);
    w->action("mnuSaveItem")->trigger();
    ASSERT_EQ(app.dialogs.saveRequests.size(), 1);
    EXPECT_EQ(app.dialogs.saveRequests[0].filter, QStringLiteral("曲リストファイル(*.mnu)"));
    EXPECT_EQ(app.dialogs.saveRequests[0].defaultSuffix, "mnu");
    EXPECT_EQ(app.dialogs.saveRequests[0].folder, QString());
    EXPECT_EQ(readBytes(copy), readBytes(original));
    EXPECT_EQ(w->listFileName, copy);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("カズーン - copy.mnu"));
    EXPECT_FALSE(w->saveCancelled);

    toggle(0);
    ASSERT_TRUE(w->listModified);
    w->action("ButtonSave")->trigger(); // a list with a file: Overwrite
    EXPECT_FALSE(w->listModified);
    EXPECT_EQ(readBytes(copy), ("1 " + songs[0] + "\r\n1 " + songs[1] + "\r\n0 " + songs[2] + "\r\n")
                                   .toUtf8());
    EXPECT_EQ(app.dialogs.saveRequests.size(), 1);
}

TEST_F(SongListWindow, NewListIsNeverWrittenOverThePreviousFile)
{
    const QString original = list("show.mnu", {"0", "0", "0"});
    open(original);
    const QByteArray before = readBytes(original);
    // What the editor leaves behind for a new list.
    w->setWindowTitle(kNewListCaption);
    w->listModified = true;
    w->mnuOverItem->setEnabled(false);

    w->mnuOverItemClick(); // the user cannot reach it now, but it must not write
    EXPECT_EQ(app.dialogs.saveRequests.size(), 1);
    EXPECT_TRUE(w->saveCancelled);
    EXPECT_TRUE(w->listModified);
    EXPECT_EQ(readBytes(original), before);

    app.dialogs.saveFile(app.path("new.mnu"));
    w->action("ButtonSave")->trigger();
    EXPECT_EQ(app.dialogs.saveRequests.size(), 2);
    EXPECT_TRUE(QFile::exists(app.path("new.mnu")));
    EXPECT_FALSE(w->listModified);
    EXPECT_FALSE(w->saveCancelled);
    EXPECT_FALSE(w->mnuOverItem->isEnabled()); // Save As leaves it as it was
    EXPECT_EQ(w->windowTitle(), QStringLiteral("カズーン - new.mnu"));
}

TEST_F(SongListWindow, SaveQuestionBeforeOpen)
{
    open(list("show.mnu", {"0", "0", "0"}));
    const QString other = list("other.mnu", {"0", "0"});
    toggle(1);

    // Cancel: nothing happens.
    app.dialogs.answer(mb::IdCancel);
    w->action("ButtonOpen")->trigger();
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, QStringLiteral("show.mnu は変更されています。上書きしますか？"));
    EXPECT_EQ(app.dialogs.boxes[0].flags, 35);
    EXPECT_EQ(app.dialogs.openRequests.size(), 1);

    // No, then cancel the dialog: the changed list stays, still changed.
    app.dialogs.answer(mb::IdNo);
    app.dialogs.openFile(QString());
    w->action("ButtonOpen")->trigger();
    EXPECT_EQ(app.dialogs.openRequests.size(), 2);
    EXPECT_TRUE(w->listModified);
    EXPECT_EQ(marksOf(w), (QStringList{"0", "1", "0"}));

    // Yes: the list is overwritten, then the other list opens.
    app.dialogs.answer(mb::IdYes);
    open(other);
    EXPECT_TRUE(readBytes(app.path("show.mnu")).startsWith(("0 " + songs[0] + "\r\n1 ").toUtf8()));
    EXPECT_EQ(w->listFileName, other);
    EXPECT_FALSE(w->listModified);

    // A new list: Yes, then the Save As dialog is cancelled: the open is
    // abandoned and saveCancelled is cleared.
    w->setWindowTitle(kNewListCaption);
    w->listModified = true;
    app.dialogs.boxes.clear();
    app.dialogs.answer(mb::IdYes);
    app.dialogs.saveFile(QString());
    w->action("ButtonOpen")->trigger();
    EXPECT_EQ(app.dialogs.boxes[0].text, QStringLiteral("新規曲リストは変更されています。保存しますか？"));
    EXPECT_EQ(app.dialogs.openRequests.size(), 3);
    EXPECT_FALSE(w->saveCancelled);
    EXPECT_TRUE(w->listModified);
    EXPECT_TRUE(app.dialogs.allUsed());
}

TEST_F(SongListWindow, FailedSaveKeepsTheListAndItsChanges)
{
    const QString path = list("show.mnu", {"0", "0", "0"});
    open(path);
    toggle(0);

    // Save As into a folder that does not exist: reported, nothing changes.
    const QString nowhere = app.path("no/such/folder/x.mnu");
    app.dialogs.saveFile(nowhere);
    w->action("mnuSaveItem")->trigger();
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_TRUE(app.dialogs.boxes[0].text.startsWith(
        QStringLiteral("曲リストファイルを保存できません。\r\n") + nowhere));
    EXPECT_EQ(app.dialogs.boxes[0].caption, QStringLiteral("カズーン"));
    EXPECT_EQ(app.dialogs.boxes[0].flags, 0x10);
    EXPECT_EQ(w->listFileName, path);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("カズーン - show.mnu"));
    EXPECT_TRUE(w->listModified);

    // The list's own file can no longer be written (a folder took its place):
    // the save question's Yes fails, so the open is abandoned and the list kept.
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkdir(path));
    app.dialogs.boxes.clear();
    app.dialogs.answer(mb::IdYes);
    w->action("mnuOpenItem")->trigger();
    ASSERT_EQ(app.dialogs.boxes.size(), 2);
    EXPECT_TRUE(app.dialogs.boxes[1].text.startsWith(
        QStringLiteral("曲リストファイルを保存できません。\r\n") + path));
    EXPECT_EQ(app.dialogs.openRequests.size(), 1);
    EXPECT_TRUE(w->listModified);
    EXPECT_FALSE(w->saveCancelled);
    EXPECT_EQ(marksOf(w), (QStringList{"1", "0", "0"}));
    EXPECT_FALSE(w->confirmDiscardChanges()); // a close question answered Cancel
}

TEST_F(SongListWindow, LastSongMarkNeedsTheRepeatOption)
{
    open(list("show.mnu", {"0", "0", "0"}));
    for (int round = 0; round < 2; ++round) {
        app.dialogs.boxes.clear();
        w->listModified = false;
        bool boxWhileOpen = false;
        app.dialogs.duringBox = [&](const auto &) { boxWhileOpen = w->msgBoxOpen; };
        toggle(2);
        ASSERT_EQ(app.dialogs.boxes.size(), 1);
        EXPECT_EQ(app.dialogs.boxes[0].text, kLastSongRefused);
        EXPECT_EQ(app.dialogs.boxes[0].flags, 0x130);
        EXPECT_TRUE(boxWhileOpen);
        EXPECT_FALSE(w->msgBoxOpen);
        EXPECT_FALSE(w->lstLive->isChecked(2));
        EXPECT_EQ(w->lstDmy.items.at(2), "0 " + songs[2]);
        EXPECT_EQ(w->lstLive->toolTip(), QStringLiteral("c.midで終了"));
        EXPECT_TRUE(w->listModified);
    }
    app.dialogs.duringBox = nullptr;

    setRepeat(true);
    app.dialogs.boxes.clear();
    toggle(2);
    EXPECT_TRUE(app.dialogs.boxes.isEmpty());
    EXPECT_TRUE(w->lstLive->isChecked(2));
    EXPECT_EQ(w->lstDmy.items.at(2), "1 " + songs[2]);
    EXPECT_EQ(w->lstLive->toolTip(), QStringLiteral("c.midをくり返し再生"));

    // Unmarking needs no option.
    setRepeat(false);
    toggle(2);
    EXPECT_TRUE(app.dialogs.boxes.isEmpty());
    EXPECT_EQ(w->lstLive->toolTip(), QStringLiteral("c.midで終了"));
}

TEST_F(SongListWindow, MarksKeepTheBulkCommandsAndHintsInStep)
{
    setRepeat(true);
    open(list("show.mnu", {"0", "0", "0"}));
    toggle(0);
    EXPECT_EQ(w->lstLive->toolTip(), QStringLiteral("a.mid～b.midのメドレー"));
    EXPECT_EQ(w->lstDmy.items.at(0), "1 " + songs[0]);
    EXPECT_TRUE(w->cmdMedley->isEnabled());
    EXPECT_TRUE(w->cmdClear->isEnabled());
    toggle(1); // songs 0 to n-2 marked, the last not: nothing left to join
    EXPECT_FALSE(w->cmdMedley->isEnabled());
    toggle(2); // the last repeats: "all as one medley" would clear it
    EXPECT_TRUE(w->cmdMedley->isEnabled());

    // The current song is the last: one medley ending with it.
    w->action("ButtonMedley")->trigger();
    EXPECT_EQ(marksOf(w), (QStringList{"1", "1", "0"}));
    EXPECT_EQ(w->lstDmy.items, (QStringList{"1 " + songs[0], "1 " + songs[1], "0 " + songs[2]}));
    EXPECT_FALSE(w->cmdMedley->isEnabled());
    EXPECT_TRUE(w->cmdClear->isEnabled());
    EXPECT_EQ(w->lstLive->toolTip(), QStringLiteral("c.midで終了"));

    w->listModified = false;
    w->lstLive->setCurrentRow(1);
    w->action("mnuClearItem")->trigger();
    EXPECT_EQ(marksOf(w), (QStringList{"0", "0", "0"}));
    for (const QString &entry : w->lstDmy.items)
        EXPECT_TRUE(entry.startsWith("0 ")) << entry.toStdString();
    EXPECT_TRUE(w->cmdMedley->isEnabled());
    EXPECT_FALSE(w->cmdClear->isEnabled());
    EXPECT_EQ(w->lstLive->toolTip(), QStringLiteral("b.midの後、MC"));
    EXPECT_TRUE(w->listModified);
}

TEST_F(SongListWindow, OneSongListAndClicksOnTheLoadedSong)
{
    setRepeat(true);
    open(list("one.mnu", {"0"}));
    toggle(0);
    EXPECT_TRUE(w->lstLive->isChecked(0));
    EXPECT_EQ(w->lstLive->toolTip(), QStringLiteral("a.midをくり返し再生"));
    EXPECT_FALSE(w->cmdMedley->isEnabled());
    EXPECT_FALSE(w->cmdClear->isEnabled());

    app.dialogs.answer(mb::IdNo);
    open(list("three.mnu", {"0", "0", "0"}));
    const int before = opens();
    w->lstLiveClick(); // the loaded song: no reload
    EXPECT_EQ(opens(), before);
    w->lstLive->setCurrentRow(1);
    EXPECT_EQ(opens(), before + 1);
    EXPECT_EQ(w->songIndex, 1);
    EXPECT_EQ(w->lstDmy.itemIndex, 1);
}

} // namespace

TEST_F(SongListWindow, FreakishlyLongPathsNeverFillABox)
{
    // Boxes quote a path at a readable length, whatever the list holds.
    const qsizetype readable = 300;

    // A path of a megabyte is no path: the list is broken.
    const QString huge = QString(349500, QChar(0x3042)) + QStringLiteral(".mid");
    for (const QString &line : {huge, "0 " + huge}) {
        const QString path = app.makeFile("huge.mnu", line.toUtf8() + "\r\n");
        app.dialogs.boxes.clear();
        open(path);
        ASSERT_EQ(app.dialogs.boxes.size(), 1);
        EXPECT_EQ(app.dialogs.boxes[0].text, kBroken);
        EXPECT_EQ(w->lstLive->count(), 0);
    }

    // One byte over what the system allows for a path is broken; a path that
    // fits is looked for, and its box quotes it shortened in the middle.
    const QString folder = app.dir() + QStringLiteral("/songs/");
    const qsizetype room = 4095 - folder.toUtf8().size() - 4;
    const QString fits = folder + QString(room / 3, QChar(0x3042)) + QString(room % 3, u'x') + ".mid";
    ASSERT_EQ(fits.toUtf8().size(), 4095);
    app.dialogs.boxes.clear();
    open(app.makeList("over.mnu", {"0 " + songs[0], "0 " + fits + "x"}));
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, kBroken);

    app.dialogs.boxes.clear();
    open(app.makeList("long.mnu", {"0 " + songs[0], "0 " + fits}));
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    const QString text = app.dialogs.boxes[0].text;
    EXPECT_TRUE(text.startsWith(kMissing + folder.left(10))) << text.left(200).toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("xx.mid")) || text.endsWith(QStringLiteral("\u3042.mid")));
    EXPECT_TRUE(text.contains(QChar(0x2026)));
    EXPECT_LT(text.size(), kMissing.size() + readable);

    // A song deep in folders, with a name as long as the system allows: the
    // status line, the hint and the caption stay readable; the list keeps the name.
    QString deep = QStringLiteral("deep");
    while (app.path(deep).toUtf8().size() < 3600)
        deep += "/" + QString(250, u'd');
    const QString longSong = QString(251, u's') + ".mid";
    const QString song = app.makeSong(deep + "/" + longSong);
    const QString longList = QString(251, u'l') + ".mnu";
    open(app.makeList(longList, {"1 " + song, "0 " + song}));
    ASSERT_EQ(w->lstLive->count(), 2);
    EXPECT_EQ(w->lstLive->lineText(0), longSong);
    EXPECT_LE(w->statusPanel0->text().size(), 100);
    EXPECT_TRUE(w->statusPanel0->text().endsWith("ss.mid"));
    EXPECT_LT(w->lstLive->toolTip().size(), 250);
    EXPECT_LT(w->windowTitle().size(), 120);

    // A list file whose own name is long: the read and save boxes shorten it too.
    const QString longName = app.dir() + "/" + QString(250, u'n') + "/" + QString(250, u'm') + ".mnu";
    app.dialogs.boxes.clear();
    open(longName);
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_TRUE(app.dialogs.boxes[0].text.startsWith(QStringLiteral("曲リストファイルを読み込めません。\r\n")));
    EXPECT_LT(app.dialogs.boxes[0].text.size(), readable);

    open(list("show.mnu", {"0", "0", "0"}));
    app.dialogs.boxes.clear();
    app.dialogs.saveFile(longName);
    w->action("mnuSaveItem")->trigger();
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_TRUE(app.dialogs.boxes[0].text.startsWith(QStringLiteral("曲リストファイルを保存できません。\r\n")));
    EXPECT_LT(app.dialogs.boxes[0].text.size(), readable);
}
