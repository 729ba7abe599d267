// The song list editor on its own: paths, the file pane, the two parallel
// lists and the enable rules of its buttons.
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

#include "EditorPane.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

struct EditorDialog : ::testing::Test {
    QTemporaryDir dir;
    TfrmSelect dlg{nullptr};

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (const char *name : {"a.mid", "B.MID", "c.Mid", "d.midi", "e.txt"}) {
            QFile f(dir.filePath(QLatin1String(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        dlg.setFolder(dir.path());
        dlg.FormShow();
        ASSERT_TRUE(waitForPane(dlg, 3));
    }

    QString entry(const QString &name) const { return QStringLiteral("0 ") + dir.filePath(name); }

    // Three songs in the editor, as the edit command leaves them.
    void fillThree()
    {
        dlg.setSongs({entry("a.mid"), entry("B.MID"), entry("c.Mid")},
                     {"a.mid", "B.MID", "c.Mid"});
        dlg.FormShow();
    }
};

} // namespace

TEST(EditorPaths, JoinsWithOneSlashAndFindsTheFolder)
{
    EXPECT_EQ(editor::joinPath("/", "song.mid"), "/song.mid");
    EXPECT_EQ(editor::joinPath("/home/me/Songs", "a.mid"), "/home/me/Songs/a.mid");
    EXPECT_EQ(editor::joinPath("/media/usb/", "a.mid"), "/media/usb/a.mid");
    EXPECT_EQ(editor::folderOf("/home/me/Songs/a.mid"), "/home/me/Songs/");
    EXPECT_EQ(editor::folderOf("/song.mid"), "/");
    EXPECT_EQ(editor::folderOf("song.mid"), "");
}

TEST(EditorPaths, RootDriveComesFirst)
{
    EXPECT_EQ(editor::orderDriveRoots({"/media/usb", "/boot", "/", "/boot"}),
              (QStringList{"/", "/boot", "/media/usb"}));
}

TEST_F(EditorDialog, PaneListsMidFilesWhateverTheirCase)
{
    QStringList names = paneNames(dlg);
    names.sort(Qt::CaseInsensitive);
    EXPECT_EQ(names, (QStringList{"a.mid", "B.MID", "c.Mid"}));
    EXPECT_EQ(dlg.folder(), dir.path());

    dlg.setFolder("/");
    EXPECT_EQ(dlg.folder(), "/");
}

TEST_F(EditorDialog, AddTakesSelectedFilesInPaneOrder)
{
    EXPECT_FALSE(dlg.cmdAdd->isEnabled());
    selectInPane(dlg, {"c.Mid", "a.mid"});
    EXPECT_TRUE(dlg.cmdAdd->isEnabled());
    QStringList inPaneOrder = paneNames(dlg);
    inPaneOrder.removeIf([](const QString &name) { return name == "B.MID"; });

    dlg.cmdAdd->click();
    EXPECT_EQ(songNames(dlg), inPaneOrder);
    EXPECT_EQ(dlg.lstTemp, (QStringList{entry(inPaneOrder[0]), entry(inPaneOrder[1])}));
    EXPECT_FALSE(dlg.FileListBox->selectionModel()->hasSelection());
    EXPECT_FALSE(dlg.cmdAdd->isEnabled());
    EXPECT_TRUE(dlg.cmdClear->isEnabled());
    EXPECT_TRUE(dlg.cmdOk->isEnabled());
    EXPECT_TRUE(dlg.cmdOk->isDefault());
    // Add leaves the list's own buttons alone.
    EXPECT_FALSE(dlg.cmdRemove->isEnabled());

    // The same file again is simply listed twice.
    selectInPane(dlg, {"a.mid"});
    dlg.cmdAddClick();
    EXPECT_EQ(songNames(dlg), inPaneOrder + QStringList{"a.mid"});
    EXPECT_EQ(dlg.lstTemp.last(), entry("a.mid"));
}

TEST_F(EditorDialog, ChangingFolderDropsTheFileSelection)
{
    selectInPane(dlg, {"a.mid"});
    QTemporaryDir other;
    dlg.setFolder(other.path());
    EXPECT_FALSE(dlg.cmdAdd->isEnabled());
    dlg.cmdAddClick();
    EXPECT_TRUE(dlg.lstTemp.isEmpty());
}

TEST_F(EditorDialog, SelectingSongsEnablesMovesAwayFromTheEnds)
{
    fillThree();
    struct Row {
        int selected;
        bool up, down;
    };
    for (const Row &r : {Row{0, false, true}, Row{1, true, true}, Row{2, true, false}}) {
        dlg.lstSong->setCurrentRow(r.selected);
        EXPECT_TRUE(dlg.cmdRemove->isEnabled()) << r.selected;
        EXPECT_EQ(dlg.cmdUp->isEnabled(), r.up) << r.selected;
        EXPECT_EQ(dlg.cmdDown->isEnabled(), r.down) << r.selected;
    }
}

TEST_F(EditorDialog, UpAndDownMoveBothListsTogether)
{
    fillThree();
    dlg.lstSong->setCurrentRow(1);
    dlg.cmdUp->click();
    EXPECT_EQ(songNames(dlg), (QStringList{"B.MID", "a.mid", "c.Mid"}));
    EXPECT_EQ(dlg.lstTemp, (QStringList{entry("B.MID"), entry("a.mid"), entry("c.Mid")}));
    EXPECT_EQ(dlg.lstSong->currentRow(), 0);
    EXPECT_FALSE(dlg.cmdUp->isEnabled());
    EXPECT_TRUE(dlg.cmdDown->isEnabled());
    EXPECT_TRUE(dlg.cmdOk->isEnabled());
    EXPECT_TRUE(dlg.cmdOk->isDefault());

    dlg.lstSong->setCurrentRow(1);
    dlg.cmdDown->click();
    EXPECT_EQ(songNames(dlg), (QStringList{"B.MID", "c.Mid", "a.mid"}));
    EXPECT_EQ(dlg.lstTemp, (QStringList{entry("B.MID"), entry("c.Mid"), entry("a.mid")}));
    EXPECT_EQ(dlg.lstSong->currentRow(), 2);
    EXPECT_FALSE(dlg.cmdDown->isEnabled());
    EXPECT_TRUE(dlg.cmdUp->isEnabled());
}

TEST_F(EditorDialog, RemovingTheLastSongDisablesOkAndClear)
{
    fillThree();
    dlg.lstSong->setCurrentRow(1);
    dlg.cmdRemove->click();
    EXPECT_EQ(songNames(dlg), (QStringList{"a.mid", "c.Mid"}));
    EXPECT_EQ(dlg.lstTemp, (QStringList{entry("a.mid"), entry("c.Mid")}));
    EXPECT_EQ(dlg.lstSong->currentRow(), -1);
    for (QPushButton *b : {dlg.cmdRemove, dlg.cmdUp, dlg.cmdDown})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(dlg.cmdOk->isEnabled());
    EXPECT_TRUE(dlg.cmdOk->isDefault());

    for (int left = 2; left > 0; --left) {
        dlg.lstSong->setCurrentRow(0);
        dlg.cmdRemoveClick();
    }
    EXPECT_TRUE(dlg.lstTemp.isEmpty());
    EXPECT_FALSE(dlg.cmdOk->isEnabled());
    EXPECT_FALSE(dlg.cmdOk->isDefault());
    EXPECT_FALSE(dlg.cmdClear->isEnabled());
}

TEST_F(EditorDialog, ClearEmptiesBothLists)
{
    fillThree();
    dlg.lstSong->setCurrentRow(1);
    dlg.cmdClear->click();
    EXPECT_EQ(dlg.lstSong->count(), 0);
    EXPECT_TRUE(dlg.lstTemp.isEmpty());
    for (QPushButton *b : {dlg.cmdClear, dlg.cmdRemove, dlg.cmdUp, dlg.cmdDown, dlg.cmdOk})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
}

TEST_F(EditorDialog, ClosingAnyWayEmptiesTheLists)
{
    // Cancel, Esc and the window manager's close all end in an empty editor.
    const std::function<void()> closers[] = {
        [&] { dlg.cmdCan->click(); },
        [&] { QTest::keyClick(&dlg, Qt::Key_Escape); },
        [&] { dlg.close(); },
    };
    for (const auto &close : closers) {
        fillThree();
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        close();
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.lstSong->count(), 0);
        EXPECT_TRUE(dlg.lstTemp.isEmpty());
    }
}
