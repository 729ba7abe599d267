#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTest>

#include "app/Colors.h"
#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "lyrics/TfrmWrd.h"
#include "options/OutputPage.h"
#include "options/RemotePage.h"
#include "options/MidiClockPage.h"
#include "options/TfrmOption.h"
#include "songlist/CheckListBox.h"
#include "support/TestApp.h"
#include "OptionDialogFixture.h"

using namespace kazoon;
using kazoon::test::OptionDialog;
using kazoon::test::TestApp;
using engine::OutputConfig;

namespace {

// The live settings as the dialog's controls hold them.
struct Controls {
    int bar, upDown;
    QString field;
    bool ownFolder, dirEnabled;
    QString dir;
    bool onStop, lesson, repeat, mute;
    bool operator==(const Controls &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Controls &c)
{
    return os << c.bar << '/' << c.upDown << '/' << c.field.toStdString() << " own=" << c.ownFolder
              << " dirOn=" << c.dirEnabled << " dir=" << c.dir.toStdString() << " stop=" << c.onStop
              << " lsn=" << c.lesson << " rep=" << c.repeat << " mute=" << c.mute;
}

Controls controlsOf(const TfrmOption *d)
{
    return {d->StepBar->value(),       d->UpDown->value(),      d->txtBer->text(),
            d->RadioWrd2->isChecked(), d->txtDir->isEnabled(), d->txtDir->text(),
            d->chkOnStop->isChecked(), d->chkOnLsn->isChecked(), d->chkOnRep->isChecked(),
            d->chkOnMute->isChecked()};
}


} // namespace

TEST_F(OptionDialog, OpeningShowsTheStoredOffsetInAllThreeControls)
{
    const struct {
        const char *stored;
        int value;
        const char *field;
    } rows[] = {{"3", 3, "+3"}, {"-2", -2, "-2"}, {"0", 0, "0"}, {"16", 16, "+16"}, {"99", 16, "+16"},
                {"-40", -15, "-15"}};
    for (const auto &r : rows) {
        TestApp fresh;
        fresh.writeSettings(QStringLiteral("[QS_Mode]\nBer=%1\n").arg(r.stored));
        fresh.start();
        fresh.dialogs.onExec([&](QDialog *d) {
            auto *o = static_cast<TfrmOption *>(d);
            EXPECT_EQ(o->StepBar->value(), r.value) << r.stored;
            EXPECT_EQ(o->UpDown->value(), r.value) << r.stored;
            EXPECT_EQ(o->txtBer->text(), r.field) << r.stored;
            return int(QDialog::Accepted);
        });
        fresh.main()->mnuOptionItemClick();
        EXPECT_EQ(fresh.main()->liveSettings().standbyOffset(), r.value);
    }
}

TEST_F(OptionDialog, ArrowKeysMoveTheOffsetByOneOnTheBarAndTheFieldWithinItsEnds)
{
    start();
    const struct {
        bool onField;
        int from;
        Qt::Key key;
        int to;
        const char *field;
    } rows[] = {
        {false, -15, Qt::Key_Left, -15, "-15"}, {false, 16, Qt::Key_Right, 16, "+16"},
        {false, 0, Qt::Key_Up, 1, "+1"},        {false, 0, Qt::Key_Down, -1, "-1"},
        {false, 5, Qt::Key_Left, 4, "+4"},      {true, 0, Qt::Key_Up, 1, "+1"},
        {true, 16, Qt::Key_Up, 16, "+16"},      {true, -15, Qt::Key_Down, -15, "-15"},
        {true, 1, Qt::Key_Left, 0, "0"},
        // The bar's own keys still work: a page is four steps.
        {false, 0, Qt::Key_PageUp, 4, "+4"},    {false, 3, Qt::Key_End, 16, "+16"},
    };
    open([&](TfrmOption *o) {
        for (const auto &r : rows) {
            o->StepBar->setValue(r.from);
            QWidget *target = r.onField ? static_cast<QWidget *>(o->txtBer) : o->StepBar;
            QTest::keyClick(target, r.key);
            SCOPED_TRACE(testing::Message() << r.onField << ' ' << r.from << ' ' << r.key);
            EXPECT_EQ(o->StepBar->value(), r.to);
            EXPECT_EQ(o->UpDown->value(), r.to);
            EXPECT_EQ(o->txtBer->text(), r.field);
        }
        // The up-down control moves the bar and the field along.
        o->StepBar->setValue(0);
        o->UpDown->stepBy(1);
        EXPECT_EQ(o->StepBar->value(), 1);
        EXPECT_EQ(o->txtBer->text(), "+1");
        o->UpDown->stepBy(-3);
        EXPECT_EQ(o->StepBar->value(), -2);
        EXPECT_EQ(o->txtBer->text(), "-2");
    });
}

TEST_F(OptionDialog, BoldMarksStandAboveTheEndsAndTheZeroOfTheOffsetBar)
{
    start();
    open([](TfrmOption *o) {
        const QSlider *bar = o->StepBar;
        // Where the bar puts a value: the handle's centre runs between the
        // ends of the bar, half a handle in from each.
        const int handle = bar->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, bar);
        const auto xOf = [&](int value) {
            const double step = double(bar->width() - handle) / (bar->maximum() - bar->minimum());
            return bar->x() + handle / 2.0 + (value - bar->minimum()) * step;
        };
        const struct {
            const char *mark, *number, *text;
            int value;
        } rows[] = {
            {"Panel3", "Label3", "-15", -15},
            {"Panel5", "Label5", "0", 0},
            {"Panel4", "Label7", "+16", 16},
        };
        for (const auto &row : rows) {
            SCOPED_TRACE(row.text);
            auto *mark = o->findChild<QLabel *>(row.mark);
            auto *number = o->findChild<QLabel *>(row.number);
            ASSERT_NE(mark, nullptr);
            ASSERT_NE(number, nullptr);
            EXPECT_EQ(mark->text(), "|");
            EXPECT_TRUE(mark->font().bold());
            EXPECT_TRUE(mark->isVisible());
            EXPECT_EQ(number->text(), row.text);
            EXPECT_TRUE(number->isVisible());
            EXPECT_EQ(mark->parentWidget(), bar->parentWidget());
            EXPECT_EQ(number->parentWidget(), bar->parentWidget());
            // Mark over number, both on the bar's position of the value.
            const QRect m = mark->geometry(), n = number->geometry();
            EXPECT_NEAR(m.center().x(), n.center().x(), 1);
            EXPECT_NEAR(m.center().x(), xOf(row.value), 1);
            EXPECT_GE(m.top(), bar->geometry().bottom());
            EXPECT_LT(m.bottom(), n.top());
            EXPECT_GE(m.width(), mark->sizeHint().width());
            EXPECT_GE(n.width(), number->sizeHint().width());
        }
    });
}

TEST_F(OptionDialog, OkKeepsTheChangesAndEveryOtherWayOutPutsTheSnapshotBack)
{
    start("[QS_Mode]\nBer=2\n[Words]\nDir_Option=1\nPath=/kept\n[Lesson]\nSet=1\n");
    const Controls before{2, 2, "+2", false, false, "/kept", false, true, false, false};
    const Controls changed{-7, -7, "-7", true, true, "/歌詞", true, false, true, true};
    const struct {
        const char *way;
        std::function<void(TfrmOption *)> close;
        Controls expected;
    } rows[] = {
        {"OK", [](TfrmOption *o) { o->OKBtn->click(); }, changed},
        {"Cancel", [](TfrmOption *o) { o->CancelBtn->click(); }, before},
        {"Esc", [](TfrmOption *o) { QTest::keyClick(o, Qt::Key_Escape); }, before},
        {"close box", [](TfrmOption *o) { o->close(); }, before},
        {"unanswered", [](TfrmOption *) {}, before},
    };
    for (const auto &r : rows) {
        // Back to the starting state, kept with OK.
        open([&](TfrmOption *o) {
            o->StepBar->setValue(2);
            o->RadioWrd1->click();
            o->txtDir->setText("/kept");
            o->chkOnStop->setChecked(false);
            o->chkOnLsn->setChecked(true);
            o->chkOnRep->setChecked(false);
            o->chkOnMute->setChecked(false);
            o->OKBtn->click();
        });
        ASSERT_EQ(controlsOf(dlg), before) << r.way;
        open([&](TfrmOption *o) {
            o->StepBar->setValue(-7);
            o->RadioWrd2->click();
            o->txtDir->setText("/歌詞");
            o->chkOnStop->setChecked(true);
            o->chkOnLsn->setChecked(false);
            o->chkOnRep->setChecked(true);
            o->chkOnMute->setChecked(true);
            EXPECT_EQ(controlsOf(o), changed) << r.way;
            r.close(o);
        });
        EXPECT_FALSE(dlg->isVisible()) << r.way;
        EXPECT_EQ(controlsOf(dlg), r.expected) << r.way;
    }
}

TEST_F(OptionDialog, TheLyricsDesignReachesTheLyricsWindowOnlyOnOk)
{
    start();
    TfrmWrd *wrd = w->frmWrd;
    wrd->showNormal();
    wrd->resize(500, 150);
    wrd->setForeColor(0x0000FF);
    wrd->setBackColor(0x00FF00);
    QFont original = wrd->lblWrd->font();

    // A text colour, then a font: the font dialog has no colour, so the text
    // colour falls back to the window's.
    app.dialogs.color(QColor(Qt::blue));
    app.dialogs.font(QFont("IPAGothic", 20));
    open([](TfrmOption *o) {
        o->cmdFcolor->click();
        o->cmdFont->click();
        o->OKBtn->click();
    });
    EXPECT_EQ(wrd->foreColor(), 0x0000FF);
    EXPECT_EQ(wrd->lblWrd->font().pointSize(), 20);

    // The defaults, then Cancel: nothing changes.
    original = wrd->lblWrd->font();
    open([](TfrmOption *o) {
        o->cmdDefault->click();
        o->CancelBtn->click();
    });
    EXPECT_EQ(wrd->lblWrd->font(), original);
    EXPECT_EQ(wrd->foreColor(), 0x0000FF);
    EXPECT_EQ(wrd->backColor(), 0x00FF00);
    EXPECT_EQ(wrd->size(), QSize(500, 150));

    // A background colour and the defaults, then OK.
    app.dialogs.color(QColor(Qt::red));
    open([](TfrmOption *o) {
        o->cmdBcolor->click();
        EXPECT_EQ(o->pendingBackColor(), colorValue(QColor(Qt::red)));
        o->cmdDefault->click();
        o->OKBtn->click();
    });
    EXPECT_EQ(wrd->lblWrd->font().family(), QFont("ＭＳ Ｐ明朝").family());
    EXPECT_EQ(wrd->lblWrd->font().pointSize(), 36);
    EXPECT_EQ(wrd->foreColor(), 0);
    EXPECT_EQ(wrd->backColor(), kWhiteColor);
    EXPECT_EQ(wrd->size(), QSize(TfrmWrd::kDefaultWidth, TfrmWrd::kDefaultHeight));
    EXPECT_EQ(app.dialogs.colorRequests, 2);
    EXPECT_EQ(app.dialogs.fontRequests, 1);
}

TEST_F(OptionDialog, UnderlineAndStrikeOutFromTheFontDialogNeverReachTheLyrics)
{
    start();
    QFont chosen("IPAGothic", 20);
    chosen.setBold(true);
    chosen.setUnderline(true);
    chosen.setStrikeOut(true);
    app.dialogs.font(chosen);
    open([](TfrmOption *o) {
        o->cmdFont->click();
        o->OKBtn->click();
    });
    const QFont lyrics = w->frmWrd->lblWrd->font();
    EXPECT_EQ(lyrics.pointSize(), 20);
    EXPECT_TRUE(lyrics.bold());
    EXPECT_FALSE(lyrics.underline());
    EXPECT_FALSE(lyrics.strikeOut());
}

TEST(OptionRules, TheLyricsCardsAreLookedUpAgainOnlyWhenTheFolderRuleChanged)
{
    const struct {
        int savedMode;
        const char *savedPath;
        int mode;
        const char *path;
        bool changed;
    } rows[] = {
        {1, "", 1, "", false},         {1, "/a", 1, "/b", false}, // beside the song: the folder counts not
        {1, "/a", 2, "/a", true},      {2, "/a", 1, "/a", true},
        {2, "/a", 2, "/a", false},     {2, "/a", 2, "/b", true},
        {2, "/a", 2, "/A", true}, // names are compared exactly
    };
    for (const auto &r : rows)
        EXPECT_EQ(TfrmOption::folderRuleChanged(r.savedMode, r.savedPath, r.mode, r.path), r.changed)
            << r.savedMode << r.savedPath << r.mode << r.path;
}

TEST_F(OptionDialog, OkWithRepeatWithdrawnUnmarksTheLastSongSilently)
{
    start("[Repeat]\nSet=1\n");
    openList();
    ASSERT_TRUE(w->lstLive->isChecked(2));
    w->lstLive->setItemIndex(2);
    w->listModified = false;
    open([](TfrmOption *o) {
        o->chkOnRep->setChecked(false);
        o->OKBtn->click();
    });
    EXPECT_FALSE(w->lstLive->isChecked(2));
    EXPECT_TRUE(w->lstLive->isChecked(1)); // only the last song
    EXPECT_TRUE(w->lstDmy.items.at(2).startsWith("0 "));
    EXPECT_TRUE(w->listModified);
    EXPECT_EQ(w->lstLive->toolTip(), "c.midで終了");
    EXPECT_TRUE(app.dialogs.boxes.isEmpty());

    // Cancel leaves the list alone.
    w->setSongMark(2, true);
    w->listModified = false;
    open([](TfrmOption *o) {
        o->chkOnRep->setChecked(true);
        o->CancelBtn->click();
    });
    EXPECT_TRUE(w->lstLive->isChecked(2));
    EXPECT_FALSE(w->listModified);
}

TEST_F(OptionDialog, OkSetsTheLessonCommandAndLeavesLessonModeWhenWithdrawn)
{
    start();
    open([](TfrmOption *o) {
        o->chkOnLsn->setChecked(true);
        o->OKBtn->click();
    });
    EXPECT_FALSE(w->cmdLesson->isEnabled()); // no songs yet

    openList();
    open([](TfrmOption *o) { o->OKBtn->click(); });
    EXPECT_TRUE(w->cmdLesson->isEnabled());

    w->cmdLesson->trigger();
    ASSERT_TRUE(w->lessonMode);
    open([](TfrmOption *o) {
        o->chkOnLsn->setChecked(false);
        o->OKBtn->click();
    });
    EXPECT_FALSE(w->lessonMode);
    EXPECT_FALSE(w->cmdLesson->isEnabled());
    EXPECT_FALSE(w->action("mnuLsnItem")->isEnabled());
}

TEST_F(OptionDialog, OkHidesTheLyricsWindowUnlessItStaysWhileStopped)
{
    start();
    w->frmWrd->show();
    open([](TfrmOption *o) {
        o->chkOnStop->setChecked(false);
        o->OKBtn->click();
    });
    EXPECT_FALSE(w->frmWrd->isVisible());
}

TEST_F(OptionDialog, EveryControlHasANameForScreenReadersAndTheWindowItsCaption)
{
    start();
    EXPECT_EQ(dlg->windowTitle(), "オプション");
    EXPECT_EQ(dlg->PageControl->count(), 7);
    EXPECT_EQ(dlg->PageControl->tabText(2), "MIDI出力");
    EXPECT_EQ(dlg->PageControl->tabText(3), "MIDIリモート");
    EXPECT_EQ(dlg->PageControl->tabText(4), "クリック");
    EXPECT_EQ(dlg->PageControl->tabText(5), "MIDIクロック");
    EXPECT_EQ(dlg->PageControl->tabText(6), "バンドビュー");
    // The standby's sound is chosen beside its step, on the first page.
    EXPECT_EQ(dlg->chkOnMute->text(), "スタンバイ中は音を出さない");
    EXPECT_TRUE(dlg->PageControl->widget(0)->isAncestorOf(dlg->chkOnMute));
    int checked = 0;
    for (QWidget *c : dlg->findChildren<QWidget *>()) {
        // The program's own controls, not the parts Qt builds them from.
        if (c == dlg->lblDmy || c->objectName().isEmpty() || c->objectName().startsWith("qt_") ||
            c->parentWidget()->inherits("QTabBar"))
            continue;
        if (qobject_cast<QLineEdit *>(c) || qobject_cast<QComboBox *>(c) || qobject_cast<QSpinBox *>(c) ||
            qobject_cast<QSlider *>(c)) {
            EXPECT_FALSE(c->accessibleName().isEmpty()) << c->objectName().toStdString();
            ++checked;
        }
        if (auto *b = qobject_cast<QAbstractButton *>(c)) {
            EXPECT_FALSE(b->text().isEmpty()) << b->objectName().toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 25);
}
