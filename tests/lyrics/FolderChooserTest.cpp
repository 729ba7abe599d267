#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <functional>
#include <optional>
#include <gtest/gtest.h>

#include "support/TestApp.h"
#include "app/MainWindow.h"
#include "lyrics/TfrmWrdDir.h"
#include "options/TfrmOption.h"

using namespace kazoon;
using namespace kazoon::test;

// Readable failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

struct Chooser {
    TestApp app;
    TfrmMain *m = app.start().main();
    TfrmWrdDir *d = m->frmWrdDir;
    QString txtDir() const { return m->frmOption->txtDir->text(); }
    // The options dialog's browse button: the chooser opens on its field and
    // OK writes the chosen folder there.
    void browse() const { m->frmOption->cmdDirClick(); }

    // Highlights `folder` in the tree, as a single click does.
    void highlight(const QString &folder) const
    {
        auto *model = qobject_cast<QFileSystemModel *>(d->DirectoryListBox->model());
        d->DirectoryListBox->setCurrentIndex(model->index(folder));
    }
    // Opens `folder`, as a double click or Enter does.
    void open(const QString &folder) const
    {
        auto *model = qobject_cast<QFileSystemModel *>(d->DirectoryListBox->model());
        const QModelIndex index = model->index(folder);
        d->DirectoryListBox->setCurrentIndex(index);
        emit d->DirectoryListBox->activated(index);
    }
};

} // namespace

TEST(FolderChooser, WritesTheOpenFolderNotTheHighlightedOne)
{
    Chooser c;
    EXPECT_EQ(c.d->windowTitle(), QStringLiteral("フォルダの指定"));
    EXPECT_EQ(c.d->size(), QSize(211, 248));
    QDir(c.app.dir()).mkpath(QStringLiteral("歌詞/新曲"));
    const QString lyrics = QDir(c.app.path(QStringLiteral("歌詞"))).absolutePath();
    const QString newSongs = lyrics + QStringLiteral("/新曲");

    struct Row {
        const char *what;
        QString start;                         // the options dialog's field
        std::function<void(Chooser &)> act;    // what the performer does
        QPushButton *TfrmWrdDir::*button;      // then presses
        std::optional<QString> chosen;         // what the chooser returns
    };
    const Row rows[] = {
        {"a highlighted subfolder is not chosen", lyrics,
         [&](Chooser &c) { c.highlight(newSongs); }, &TfrmWrdDir::cmdOk, lyrics},
        {"an opened subfolder is", lyrics, [&](Chooser &c) { c.open(newSongs); },
         &TfrmWrdDir::cmdOk, newSongs},
        {"the root keeps its /", QStringLiteral("/"), [](Chooser &) {}, &TfrmWrdDir::cmdOk,
         QStringLiteral("/")},
        {"a folder gone since opens where the chooser was left", QStringLiteral("/no/such"),
         [](Chooser &) {}, &TfrmWrdDir::cmdOk, QStringLiteral("/")},
        {"cancel chooses nothing", lyrics, [&](Chooser &c) { c.open(newSongs); },
         &TfrmWrdDir::cmdCan, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        c.app.dialogs.onExec([&](QDialog *) {
            row.act(c);
            (c.d->*row.button)->click();
            return int(QDialog::Rejected);
        });
        EXPECT_EQ(c.d->choose(row.start), row.chosen);
        EXPECT_FALSE(c.d->isVisible());
    }
    EXPECT_EQ(c.app.dialogs.executed.count(QStringLiteral("frmWrdDir")), 5);
}

TEST(FolderChooser, EscCancelsAndTheStateLastsToTheNextOpening)
{
    Chooser c;
    QDir(c.app.dir()).mkpath(QStringLiteral("a/b"));
    const QString a = QDir(c.app.path(QStringLiteral("a"))).absolutePath();
    c.m->frmOption->txtDir->setText(a);
    c.app.dialogs.onExec([&](QDialog *) {
        c.open(a + QStringLiteral("/b"));
        QTest::keyClick(c.d, Qt::Key_Escape);
        return int(QDialog::Rejected);
    });
    c.browse();
    EXPECT_EQ(c.txtDir(), a);

    // Opened again on an empty field: still in the folder left open.
    c.m->frmOption->txtDir->clear();
    c.app.dialogs.onExec([&](QDialog *) {
        c.d->cmdOk->click();
        return int(QDialog::Rejected);
    });
    c.browse();
    EXPECT_EQ(c.txtDir(), a + QStringLiteral("/b"));
}

TEST(FolderChooser, VolumeThatIsNotReadyGivesTheMessageAndChangesNothing)
{
    Chooser c;
    c.d->setFolder(c.app.dir());
    c.d->selectDriveOfFolder();
    const int drive = c.d->DriveComboBox->currentIndex();
    const QString folder = c.d->folder();
    c.d->DriveComboBox->addItem(QStringLiteral("/no-such-volume"), QStringLiteral("/no-such-volume"));
    c.d->DriveComboBox->setCurrentIndex(c.d->DriveComboBox->count() - 1);
    bool boxFlagged = false;
    c.app.dialogs.duringBox = [&](const ScriptedDialogs::Box &) { boxFlagged = c.m->msgBoxOpen; };
    c.d->DriveComboBoxChange();
    ASSERT_EQ(c.app.dialogs.boxes.size(), 1);
    EXPECT_EQ(c.app.dialogs.boxes[0].text, QStringLiteral("デバイスの準備ができていません。"));
    EXPECT_EQ(c.app.dialogs.boxes[0].caption, QStringLiteral("カズーン"));
    EXPECT_EQ(c.app.dialogs.boxes[0].flags, 0x10);
    EXPECT_TRUE(boxFlagged);
    EXPECT_FALSE(c.m->msgBoxOpen);
    EXPECT_EQ(c.d->DriveComboBox->currentIndex(), drive);
    EXPECT_EQ(c.d->folder(), folder);
}

TEST(FolderChooser, EnterInTheTreeOpensTheFolderAndTheChooserStaysUntilOk)
{
    Chooser c;
    QDir(c.app.dir()).mkpath(QStringLiteral("a/b/c"));
    const QString a = QDir(c.app.path(QStringLiteral("a"))).absolutePath();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Return" : "Enter");
        c.m->frmOption->txtDir->setText(a);
        bool stayed = false;
        QString opened, written;
        c.app.dialogs.onExec([&](QDialog *) {
            c.highlight(a + QStringLiteral("/b"));
            c.d->DirectoryListBox->setFocus();
            QTest::keyClick(c.d->DirectoryListBox, key);
            stayed = c.d->isVisible();
            opened = c.d->folder();
            written = c.txtDir();
            // Enter on the OK button is the button's.
            c.d->cmdOk->setFocus();
            QTest::keyClick(c.d->cmdOk, key);
            return int(QDialog::Rejected);
        });
        c.browse();
        EXPECT_TRUE(stayed);
        EXPECT_EQ(opened, a + QStringLiteral("/b"));
        EXPECT_EQ(written, a);
        EXPECT_FALSE(c.d->isVisible());
        EXPECT_EQ(c.txtDir(), a + QStringLiteral("/b"));
    }
}
