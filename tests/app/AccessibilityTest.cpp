#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include "app/Command.h"
#include "app/MainWindow.h"
#include "app/ShowRecorder.h"
#include "app/TfrmAbout.h"
#include "lyrics/TfrmCardMaker.h"
#include "lyrics/TfrmWrd.h"
#include "lyrics/TfrmWrdDir.h"
#include "options/OutputPage.h"
#include "options/RemotePage.h"
#include "options/TfrmOption.h"
#include "player/SetClock.h"
#include "songlist/PerSongSettings.h"
#include "songlist/TfrmSelect.h"
#include "songlist/TfrmSong.h"
#include "support/TestApp.h"

using namespace kazoon;

// Readable failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// What a screen reader (or a test driving the program from outside) says for
// a control: its accessible name, or the text Qt derives from it.
QString spokenName(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

QString description(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Description) : QString();
}

// Whatever a label of `window` shows is what a screen reader reads: no fixed
// name stands over it. Each label is given a value of its own for the check.
void expectLabelsReadAsShown(QWidget *window)
{
    int n = 0; // the folder chooser has no labels
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->window() != window || !label->pixmap().isNull())
            continue;
        const QString was = label->text();
        const QString value = QStringLiteral("値 %1").arg(++n);
        label->setText(value);
        EXPECT_EQ(spokenName(label), value)
            << window->objectName().toStdString() << ": " << label->objectName().toStdString();
        label->setText(was);
    }
}

bool takesInput(QWidget *w)
{
    return qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w)
           || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w)
           || qobject_cast<QAbstractSlider *>(w) || qobject_cast<QAbstractItemView *>(w)
           || qobject_cast<QPlainTextEdit *>(w);
}

} // namespace

TEST(Accessibility, EveryControlOfEveryWindowHasANameAndEveryWindowACaption)
{
    test::TestApp app;
    app.start();
    TfrmMain *m = app.main();
    const QList<QWidget *> windows{m, m->frmWrdDir, m->frmOption, m->frmSelect, m->frmWrd, m->frmAbout};
    for (QWidget *window : windows) {
        ASSERT_NE(window, nullptr);
        // The editor is captioned by the command that opens it.
        if (window != m->frmSelect) {
            EXPECT_FALSE(window->windowTitle().isEmpty()) << window->objectName().toStdString();
        }
        // Each window's own controls: the dialogs are children of the main window.
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->window() != window)
                continue;
            // Parts of a control (scroll bars, headers, a combo box's edit
            // field and pop-up list) are spoken as their control.
            if (!takesInput(w) || w->inherits("QScrollBar") || w->inherits("QHeaderView")
                || w->inherits("QComboBoxListView") || qobject_cast<QComboBox *>(w->parentWidget())
                || w->objectName().startsWith(QLatin1String("qt_")))
                continue;
            EXPECT_FALSE(spokenName(w).trimmed().isEmpty())
                << window->objectName().toStdString() << ": " << w->metaObject()->className() << " "
                << w->objectName().toStdString();
        }
    }
}

TEST(Accessibility, AScreenReaderReadsTheValueEveryLabelShowsAndItsPurposeApart)
{
    test::TestApp app;
    const QStringList songs{app.makeSong("a.mid", {480, 0}), app.makeSong("b.mid", {240, 0})};
    const QString list = app.makeList("set.mnu", {"0 " + songs[0], "0 " + songs[1]});
    app.start();
    TfrmMain *m = app.main();
    qint64 now = 1'000'000;
    m->showRecorder().setClock([&now] { return now; });

    // The values the performer sees change as the show goes on.
    app.dialogs.openFile(list);
    m->action("mnuOpenItem")->trigger();
    app.dialogs.onExec([](QDialog *d) {
        auto *song = static_cast<TfrmSong *>(d);
        expectLabelsReadAsShown(song);
        EXPECT_EQ(description(song->lblSong), QStringLiteral("曲"));
        song->spnKey->setValue(2);
        song->spnTempo->setValue(120);
        song->spnVolume->setValue(80);
        song->OKBtn->click();
        return song->result();
    });
    m->mnuSongItem->trigger();
    m->action("ButtonPlay")->trigger();
    app.device.advance(32);
    m->PlayTimerTimer();
    now += 30'000;
    QCoreApplication::processEvents(); // the set's lengths are read aside
    m->showRecorder().songLengths().waitForResult();
    m->showRecorder().refreshClock();

    const struct {
        QLabel *label;
        QString shown; // empty: whatever it shows
        QString purpose;
    } values[] = {
        {m->showRecorder().elapsedLabel(), QStringLiteral("経過 0分30秒"), QStringLiteral("ショーの経過時間")},
        {m->showRecorder().timeLeftLabel(), QString(), QStringLiteral("セットの残り時間")},
        {m->songSettings().panelLabel(), QStringLiteral("♯2 120% 音量80%"), QStringLiteral("曲の設定")},
        {m->lblStep, QStringLiteral("33"), QStringLiteral("ステップ")},
        {m->lblInfo, QStringLiteral("再生中･･･\r\n[Esc]キーで停止します。"),
         QStringLiteral("プレーヤーの状態")},
        {m->statusPanel0, QString(), QStringLiteral("曲のファイル")},
        {m->statusPanel1, QString(), QStringLiteral("曲の長さ")},
        {m->frmWrd->lblWrd, QString(), QStringLiteral("歌詞")},
        {m->frmOption->outputPage->lblLatency, QString(), QStringLiteral("遅延")},
    };
    m->frmOption->outputPage->updateLatency();
    for (const auto &v : values) {
        SCOPED_TRACE(v.label->objectName().toStdString());
        if (!v.shown.isEmpty()) {
            EXPECT_EQ(v.label->text(), v.shown);
        }
        EXPECT_EQ(spokenName(v.label), v.label->text());
        EXPECT_EQ(description(v.label), v.purpose);
    }
    EXPECT_TRUE(m->showRecorder().timeLeftLabel()->text().startsWith(QStringLiteral("残り")));
    EXPECT_FALSE(m->showRecorder().timeLeftLabel()->text().contains(QStringLiteral("計算中")));
    for (QLabel *binding : m->frmOption->remotePage->lblRemoteBinding)
        EXPECT_TRUE(description(binding).endsWith(QStringLiteral("の割り当て")));

    // Every label of every window, the dialogs opened on demand too.
    const QList<QWidget *> windows{m, m->frmWrdDir, m->frmOption, m->frmSelect, m->frmWrd, m->frmAbout};
    for (QWidget *window : windows)
        expectLabelsReadAsShown(window);
    m->action("ButtonStop")->trigger();
    app.dialogs.onExec([](QDialog *d) {
        auto *maker = static_cast<TfrmCardMaker *>(d);
        expectLabelsReadAsShown(maker);
        EXPECT_EQ(description(maker->lblSong), QStringLiteral("曲と歌詞カード"));
        EXPECT_EQ(description(maker->lblStep), QStringLiteral("ステップ"));
        return int(QDialog::Rejected);
    });
    m->action("mnuCardItem")->trigger();
    EXPECT_TRUE(app.dialogs.executed.contains(QStringLiteral("frmCardMaker")));
}
