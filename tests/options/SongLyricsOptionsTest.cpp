#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTabWidget>
#include <QTest>

#include "app/MainWindow.h"
#include "options/SongLyricsBoxes.h"
#include "options/TfrmOption.h"
#include "OptionDialogFixture.h"

using namespace kazoon;
using kazoon::test::OptionDialog;

TEST_F(OptionDialog, SongLyricsAndNextLineSitOnTheLyricsPageWithinItAndApartFromTheRest)
{
    start();
    dlg->show();
    dlg->PageControl->setCurrentIndex(1);
    QWidget *page = dlg->PageControl->currentWidget();
    QCheckBox *song = dlg->songLyricsBoxes->chkSongWrd, *next = dlg->songLyricsBoxes->chkNextLine;
    EXPECT_EQ(song->text(), QStringLiteral("歌詞カードがないときは曲に入っている歌詞を表示する"));
    EXPECT_EQ(next->text(), QStringLiteral("次のページの最初の行を表示する"));
    EXPECT_TRUE(song->isChecked());
    EXPECT_FALSE(next->isChecked());
    for (QWidget *box : {static_cast<QWidget *>(song), static_cast<QWidget *>(next)}) {
        ASSERT_TRUE(page->isAncestorOf(box));
        const QRect r(box->mapTo(page, QPoint(0, 0)), box->size());
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_TRUE(page->rect().contains(r)) << r.bottom() << " in " << page->height();
        EXPECT_GE(box->width(), box->sizeHint().width());
        EXPECT_GE(box->height(), box->sizeHint().height());
        for (QWidget *other : page->findChildren<QWidget *>()) {
            if (other == box || other->isAncestorOf(box) || box->isAncestorOf(other)
                || other->parentWidget() != page || other->isHidden())
                continue;
            const QRect o(other->mapTo(page, QPoint(0, 0)), other->size());
            EXPECT_FALSE(o.intersects(r)) << other->objectName().toStdString();
        }
    }
}

TEST_F(OptionDialog, SongLyricsAndNextLineAreKeptByOkAloneAndStored)
{
    start("[Words]\nSongLyrics=0\nNextLine=1\n");
    SongLyricsBoxes *boxes = dlg->songLyricsBoxes;
    EXPECT_FALSE(boxes->chkSongWrd->isChecked());
    EXPECT_TRUE(boxes->chkNextLine->isChecked());
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        open([ok](TfrmOption *o) {
            o->songLyricsBoxes->chkSongWrd->setChecked(true);
            o->songLyricsBoxes->chkNextLine->setChecked(false);
            (ok ? o->OKBtn : o->CancelBtn)->click();
        });
        EXPECT_EQ(w->liveSettings().songLyrics(), ok);
        EXPECT_EQ(w->liveSettings().showNextLine(), !ok);
    }
    w->close();
    const QString stored = app.readSettings();
    EXPECT_TRUE(stored.contains("SongLyrics=1\n")) << stored.toStdString();
    EXPECT_TRUE(stored.contains("NextLine=0\n")) << stored.toStdString();
}
