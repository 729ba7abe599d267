// The editor as the main window uses it: the new and edit commands, and what
// OK and cancel hand back to the song list.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <gtest/gtest.h>

#include "EditorPane.h"
#include "app/Command.h"
#include "app/MainWindow.h"
#include "options/TfrmOption.h"
#include "songlist/CheckListBox.h"
#include "support/TestApp.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

struct EditorWindow : ::testing::Test {
    TestApp app;
    TfrmMain *m = nullptr;
    TfrmSelect *sel = nullptr;
    QString a, b, c;

    void SetUp() override
    {
        a = app.makeSong("Songs/a.mid");
        b = app.makeSong("Songs/b.mid");
        c = app.makeSong("Other/c.mid");
        app.start();
        m = app.main();
        sel = m->frmSelect;
    }

    // Adds files of a folder one at a time, in the order given.
    void add(const QString &folder, const QStringList &names)
    {
        sel->setFolder(app.path(folder));
        ASSERT_TRUE(waitForPane(*sel, 1));
        for (const QString &name : names) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return paneNames(*sel).contains(name); }, 5000));
            selectInPane(*sel, {name});
            sel->cmdAdd->click();
        }
    }

    // A list of a, b, c in the main window, as an opened file leaves it;
    // `marks` are the medley marks, `current` the loaded song.
    void haveList(const QString &marks, int current)
    {
        const QStringList paths{a, b, c};
        m->lstDmy.items.clear();
        m->lstLive->clearLines();
        for (int i = 0; i < 3; ++i) {
            m->lstDmy.items << QString(marks[i]) + QLatin1Char(' ') + paths[i];
            m->lstLive->addLine(QFileInfo(paths[i]).fileName(), marks[i] == QLatin1Char('1'));
        }
        m->lstDmy.itemIndex = current;
        m->lstLive->setItemIndex(current);
        m->setWindowTitle(QStringLiteral("カズーン - show.mnu"));
        m->mnuOverItem->setEnabled(true);
        m->cmdEdit->setEnabled(true);
        m->listModified = false;
    }

    QStringList liveNames() const
    {
        QStringList names;
        for (int i = 0; i < m->lstLive->count(); ++i)
            names << m->lstLive->lineText(i);
        return names;
    }
    int checkedCount() const
    {
        int n = 0;
        for (int i = 0; i < m->lstLive->count(); ++i)
            n += m->lstLive->isChecked(i);
        return n;
    }
};

} // namespace

TEST_F(EditorWindow, NewListOfThreeReplacesTheSongList)
{
    m->mnuOverItem->setEnabled(true);
    m->cmdClear->setEnabled(true);
    m->frmOption->chkOnLsn->setChecked(true);
    m->cmdWrd->setDown(true);

    app.dialogs.onExec([&](QDialog *) {
        EXPECT_EQ(sel->windowTitle(), "新規曲リストの作成");
        EXPECT_EQ(sel->lstSong->count(), 0);
        add("Songs", {"b.mid", "a.mid"});
        add("Other", {"c.mid"});
        sel->cmdOk->click();
        return int(QDialog::Accepted);
    });
    m->action("ButtonNew")->trigger();

    EXPECT_EQ(app.dialogs.executed, QStringList{"frmSelect"});
    EXPECT_EQ(liveNames(), (QStringList{"b.mid", "a.mid", "c.mid"}));
    EXPECT_EQ(checkedCount(), 0);
    EXPECT_EQ(m->lstDmy.items, (QStringList{"0 " + b, "0 " + a, "0 " + c}));
    EXPECT_EQ(m->windowTitle(), kNewListCaption);
    EXPECT_TRUE(m->listModified);
    EXPECT_FALSE(m->mnuOverItem->isEnabled());
    EXPECT_TRUE(m->cmdMedley->isEnabled());
    EXPECT_FALSE(m->cmdClear->isEnabled());
    EXPECT_TRUE(m->mnuSaveItem->isEnabled());
    EXPECT_TRUE(m->cmdSave->isEnabled());
    EXPECT_TRUE(m->cmdEdit->isEnabled());
    EXPECT_TRUE(m->mnuEdit->isEnabled());
    EXPECT_TRUE(m->mnuPlayer->isEnabled());
    EXPECT_TRUE(m->cmdLesson->isEnabled());
    EXPECT_TRUE(m->cmdWrdEdit->isEnabled());

    // The first song is loaded.
    EXPECT_EQ(m->lstLive->itemIndex(), 0);
    EXPECT_EQ(m->songIndex, 0);
    EXPECT_TRUE(app.device.calls.contains("Open b.mid"));
    EXPECT_TRUE(m->songLoaded);
    // And the editor is empty for its next showing.
    EXPECT_EQ(sel->lstSong->count(), 0);
    EXPECT_TRUE(sel->lstTemp.isEmpty());
}

TEST_F(EditorWindow, OneSongListOffersNoMedley)
{
    m->cmdMedley->setEnabled(true);
    app.dialogs.onExec([&](QDialog *) {
        add("Songs", {"a.mid"});
        sel->cmdOk->click();
        return int(QDialog::Accepted);
    });
    m->mnuNewItemClick();
    EXPECT_EQ(m->lstDmy.items, QStringList{"0 " + a});
    EXPECT_FALSE(m->cmdMedley->isEnabled());
    EXPECT_FALSE(m->cmdClear->isEnabled());
}

TEST_F(EditorWindow, NewListAsksFirstWhenTheListChanged)
{
    haveList("100", 0);
    m->listModified = true;
    app.dialogs.answer(mb::IdCancel);
    m->mnuNewItemClick();
    EXPECT_TRUE(app.dialogs.executed.isEmpty());
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].flags, 0x23);

    app.dialogs.answer(mb::IdNo);
    m->mnuNewItemClick();
    EXPECT_EQ(app.dialogs.executed, QStringList{"frmSelect"});
}

TEST_F(EditorWindow, EditDropsMarksAndWaitsForAChange)
{
    haveList("110", 1);
    app.device.calls.clear();

    app.dialogs.onExec([&](QDialog *) {
        EXPECT_EQ(sel->windowTitle(), "曲リストの編集");
        // The panes open on the loaded song's folder.
        EXPECT_EQ(sel->folder(), QFileInfo(b).absolutePath());
        EXPECT_EQ(songNames(*sel), (QStringList{"a.mid", "b.mid", "c.mid"}));
        EXPECT_EQ(sel->lstTemp, (QStringList{"0 " + a, "0 " + b, "0 " + c}));
        EXPECT_FALSE(sel->cmdOk->isEnabled());
        EXPECT_FALSE(sel->cmdOk->isDefault());
        EXPECT_TRUE(sel->cmdClear->isEnabled());
        for (QPushButton *button : {sel->cmdAdd, sel->cmdRemove, sel->cmdUp, sel->cmdDown})
            EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();

        sel->lstSong->setCurrentRow(0);
        sel->cmdDown->click();
        EXPECT_TRUE(sel->cmdOk->isEnabled());
        sel->cmdOk->click();
        return int(QDialog::Accepted);
    });
    m->action("ButtonEdit")->trigger();

    EXPECT_EQ(liveNames(), (QStringList{"b.mid", "a.mid", "c.mid"}));
    EXPECT_EQ(checkedCount(), 0);
    EXPECT_EQ(m->lstDmy.items, (QStringList{"0 " + b, "0 " + a, "0 " + c}));
    // An edited list keeps its file: caption and overwrite stay.
    EXPECT_EQ(m->windowTitle(), "カズーン - show.mnu");
    EXPECT_TRUE(m->mnuOverItem->isEnabled());
    EXPECT_TRUE(m->listModified);
    EXPECT_TRUE(m->cmdMedley->isEnabled());
    EXPECT_FALSE(m->cmdClear->isEnabled());
    EXPECT_TRUE(app.device.calls.contains("Open b.mid"));
    EXPECT_EQ(m->songIndex, 0);
}

TEST_F(EditorWindow, CancelLeavesTheMainWindowAlone)
{
    haveList("110", 2);
    const QStringList entries = m->lstDmy.items;
    const QStringList calls = app.device.calls;

    app.dialogs.onExec([&](QDialog *) {
        sel->lstSong->setCurrentRow(0);
        sel->cmdRemove->click();
        sel->cmdCan->click();
        return int(QDialog::Accepted); // the dialog's own result wins
    });
    m->mnuMenuItemClick();

    EXPECT_EQ(m->lstDmy.items, entries);
    EXPECT_EQ(liveNames(), (QStringList{"a.mid", "b.mid", "c.mid"}));
    EXPECT_EQ(checkedCount(), 2);
    EXPECT_EQ(m->lstLive->itemIndex(), 2);
    EXPECT_FALSE(m->listModified);
    EXPECT_EQ(app.device.calls, calls);

    // However it was closed, the next showing starts empty.
    app.dialogs.onExec([&](QDialog *) {
        EXPECT_EQ(sel->lstSong->count(), 0);
        EXPECT_TRUE(sel->lstTemp.isEmpty());
        return int(QDialog::Rejected);
    });
    m->mnuNewItemClick();
    EXPECT_TRUE(app.dialogs.allUsed());
}

TEST_F(EditorWindow, EditWithAVanishedFolderKeepsThePanes)
{
    haveList("000", 0);
    m->lstDmy.items[0] = "0 " + app.path("Gone/a.mid");
    sel->setFolder(app.path("Other"));

    app.dialogs.onExec([&](QDialog *) {
        EXPECT_EQ(sel->folder(), app.path("Other"));
        EXPECT_EQ(sel->lstTemp.size(), 3);
        EXPECT_EQ(sel->lstSong->count(), 3);
        return int(QDialog::Rejected);
    });
    m->mnuMenuItemClick();
    EXPECT_TRUE(app.dialogs.allUsed());
}

TEST_F(EditorWindow, UnreadableDriveShowsNotReadyAndReturns)
{
    const int before = sel->DriveComboBox->currentIndex();
    const QString folder = sel->folder();
    sel->DriveComboBox->addItem("/no-such-volume", "/no-such-volume");
    sel->DriveComboBox->setCurrentIndex(sel->DriveComboBox->count() - 1);

    bool openDuringBox = false;
    app.dialogs.duringBox = [&](const ScriptedDialogs::Box &) { openDuringBox = m->msgBoxOpen; };
    sel->DriveComboBoxChange();

    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, "デバイスの準備ができていません。");
    EXPECT_EQ(app.dialogs.boxes[0].caption, "カズーン");
    EXPECT_EQ(app.dialogs.boxes[0].flags, 0x10);
    EXPECT_TRUE(openDuringBox);
    EXPECT_FALSE(m->msgBoxOpen);
    EXPECT_EQ(sel->DriveComboBox->currentIndex(), before);
    EXPECT_EQ(sel->folder(), folder);
}

TEST_F(EditorWindow, EnterInTheFolderTreeLeavesTheEditorOpen)
{
    bool stayed = false;
    app.dialogs.onExec([&](QDialog *) {
        add("Songs", {"a.mid"});
        EXPECT_TRUE(sel->cmdOk->isDefault());
        sel->DirectoryListBox->setFocus();
        QTest::keyClick(sel->DirectoryListBox, Qt::Key_Return);
        stayed = sel->isVisible();
        sel->cmdCan->click();
        return int(QDialog::Rejected);
    });
    m->action("ButtonNew")->trigger();
    EXPECT_TRUE(stayed);
    EXPECT_EQ(m->lstLive->count(), 0); // the song list was not replaced
}
