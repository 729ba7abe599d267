#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>

#include "app/FolderPane.h"

using namespace kazoon;

// The pane as the lyrics folder chooser lays it out: a gap between the box
// and the tree, and a box of a given height.
TEST(FolderPane, PlacesItsControlsAndReportsFolderChangesAndRefusedVolumes)
{
    QTemporaryDir dir;
    QWidget owner;
    FolderPane pane(&owner, {16, 16, 177, 18}, {16, 48, 177, 145});
    const auto inOwner = [&](QWidget *w) { return QRect(w->mapTo(&owner, QPoint(0, 0)), w->size()); };
    EXPECT_EQ(inOwner(pane.driveBox()), QRect(16, 16, 177, 18));
    EXPECT_EQ(inOwner(pane.folderTree()), QRect(16, 48, 177, 145));
    EXPECT_EQ(pane.driveBox()->itemData(0).toString(), "/");

    QSignalSpy changed(&pane, &FolderPane::folderChanged);
    QSignalSpy refused(&pane, &FolderPane::volumeRefused);
    pane.setFolder(dir.path() + "/.");
    pane.setFolder(dir.path());
    pane.selectDriveOfFolder();
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toString(), QDir(dir.path()).absolutePath());
    EXPECT_EQ(pane.folder(), QDir(dir.path()).absolutePath());
    const int drive = pane.driveBox()->currentIndex();
    EXPECT_GE(drive, 0);

    pane.driveBox()->addItem("/no-such-volume", "/no-such-volume");
    pane.driveBox()->setCurrentIndex(pane.driveBox()->count() - 1);
    pane.driveChanged();
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0][0].toString(), FolderPane::kNotReadyText);
    EXPECT_EQ(pane.driveBox()->currentIndex(), drive);
    EXPECT_EQ(pane.folder(), QDir(dir.path()).absolutePath());
    EXPECT_EQ(changed.size(), 1);
}

// The drive box reports every pick; picking the drive it already shows must
// not send the folder back to that drive's root. Both ways of opening a
// folder: the editor's (highlighting opens) and the chooser's (Enter opens).
TEST(FolderPane, OnlyAnotherDriveMovesTheFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("volume/sub"));
    const QString volume = QDir(dir.path() + "/volume").absolutePath();
    const QString sub = volume + "/sub";
    for (const bool openOnActivate : {false, true}) {
        SCOPED_TRACE(openOnActivate ? "chooser" : "editor");
        QWidget owner;
        FolderPane pane(&owner, {16, 16, 177, 18}, {16, 48, 177, 145});
        pane.setOpenOnActivate(openOnActivate);
        QComboBox *box = pane.driveBox();
        box->addItem(volume, volume); // a folder standing in for a volume
        const int other = box->count() - 1;
        pane.setFolder(sub);
        pane.selectDriveOfFolder();
        ASSERT_EQ(box->currentIndex(), other);

        emit box->activated(other);
        EXPECT_EQ(pane.folder(), sub);

        box->setCurrentIndex(0);
        emit box->activated(0);
        EXPECT_EQ(pane.folder(), box->itemData(0).toString());
        box->setCurrentIndex(other);
        emit box->activated(other);
        EXPECT_EQ(pane.folder(), volume);

        // The tree went to another volume while the box still shows this
        // one: picking it is a change of drive for the folder.
        pane.setFolder(dir.path());
        emit box->activated(other);
        EXPECT_EQ(pane.folder(), volume);
    }
}
