#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>

#include "app/Colors.h"
#include "app/Command.h"
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "app/Paths.h"
#include "lyrics/TfrmWrd.h"
#include "options/TfrmOption.h"
#include "support/TestApp.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

const char *const kDefaultsWritten = "[Main]\n"
                                     "Top=0\n"
                                     "Left=0\n"
                                     "[QS_Mode]\n"
                                     "Set=0\n"
                                     "Ber=0\n"
                                     "Mute=0\n"
                                     "[Words]\n"
                                     "Set=0\n"
                                     "Top=0\n"
                                     "Left=0\n"
                                     "Width=621\n"
                                     "Height=168\n"
                                     "WindowState=0\n"
                                     "FontName=ＭＳ Ｐ明朝\n"
                                     "FontSize=36\n"
                                     "FontBold=1\n"
                                     "FontItalic=0\n"
                                     "ForeColor=-2147483640\n"
                                     "BackColor=16777215\n"
                                     "Dir_Option=1\n"
                                     "Path=\n"
                                     "Ind_Option=0\n"
                                     "SongLyrics=1\n"
                                     "NextLine=0\n"
                                     "[Lesson]\n"
                                     "Set=0\n"
                                     "[Repeat]\n"
                                     "Set=0\n"
                                     "[Click]\n"
                                     "Route=none\n"
                                     "Port=\n"
                                     "Channel=10\n"
                                     "Level=80\n"
                                     "Accent=1\n"
                                     "Count=1\n"
                                     "[Output]\n"
                                     "Device=synth\n"
                                     "Port=\n"
                                     "SoundFont=\n"
                                     "GmReset=0\n";

void closeMain(TestApp &app)
{
    app.main()->close();
}

} // namespace

TEST(Settings, FirstStartUsesTheDefaultsAndWritesEveryKeyInOrder)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();
    TfrmOption *o = m->frmOption;
    TfrmWrd *w = m->frmWrd;

    EXPECT_EQ(m->pos(), QPoint(0, 0));
    EXPECT_FALSE(m->cmdQs->isDown());
    EXPECT_FALSE(m->action("mnuQsItem")->isChecked());
    EXPECT_FALSE(m->cmdWrd->isDown());
    EXPECT_FALSE(m->action("mnuWrdItem")->isChecked());
    EXPECT_EQ(o->StepBar->value(), 0);
    EXPECT_TRUE(o->RadioWrd1->isChecked());
    EXPECT_FALSE(o->txtDir->isEnabled());
    EXPECT_EQ(o->txtDir->text(), QString());
    EXPECT_FALSE(o->chkOnStop->isChecked());
    EXPECT_FALSE(o->chkOnLsn->isChecked());
    EXPECT_FALSE(o->chkOnRep->isChecked());
    EXPECT_FALSE(o->chkOnMute->isChecked());
    EXPECT_TRUE(m->liveSettings().songLyrics());
    EXPECT_FALSE(m->liveSettings().showNextLine());
    EXPECT_EQ(w->pos(), QPoint(0, 0));
    EXPECT_EQ(w->size(), QSize(621, 168));
    EXPECT_EQ(w->windowState(), Qt::WindowNoState);
    EXPECT_EQ(w->lblWrd->font().family(), QStringLiteral("ＭＳ Ｐ明朝"));
    EXPECT_EQ(w->lblWrd->font().pointSize(), 36);
    EXPECT_TRUE(w->lblWrd->font().bold());
    EXPECT_FALSE(w->lblWrd->font().italic());
    EXPECT_EQ(w->foreColor(), kWindowTextColor);
    EXPECT_EQ(w->PanelWrd->palette().color(QPalette::Window), QColor(Qt::white));

    closeMain(app);
    EXPECT_EQ(app.readSettings(), QString::fromUtf8(kDefaultsWritten));
}

TEST(Settings, ValueFormsClampingAndUnknownKeys)
{
    TestApp app;
    app.writeSettings("; kept\r\n"
                      "[Other]\r\nName=keep me\r\n"
                      "[MAIN]\r\nLeft=$20\r\nTop=0x10\r\nColour=blue\r\n"
                      "[QS_Mode]\r\nSet=0x1\r\nBer=40\r\nMute=1\r\n"
                      "[Words]\r\nSet=yes\r\nDir_Option=3\r\nPath=/songs/歌詞\r\n"
                      "Width=800\r\nHeight=300\r\nWindowState=2\r\nTop=7\r\nLeft=9\r\n"
                      "FontName=IPAGothic\r\nFontSize=20\r\nFontBold=0\r\nFontItalic=1\r\n"
                      "ForeColor=255\r\nBackColor=0x80000005\r\nInd_Option=1\r\n"
                      "SongLyrics=maybe\r\nNextLine=1\r\n"
                      "[Lesson]\r\nSet=1\r\n"
                      "[Repeat]\r\nSet=2\r\n");
    app.start();
    TfrmMain *m = app.main();
    TfrmOption *o = m->frmOption;
    TfrmWrd *w = m->frmWrd;

    EXPECT_EQ(m->pos(), QPoint(32, 16));
    EXPECT_TRUE(m->cmdQs->isDown());
    EXPECT_FALSE(m->cmdWrd->isDown()); // "yes" is not a number
    EXPECT_EQ(o->StepBar->value(), 16);
    EXPECT_TRUE(o->RadioWrd1->isChecked());
    EXPECT_EQ(o->txtDir->text(), QStringLiteral("/songs/歌詞"));
    EXPECT_TRUE(o->chkOnStop->isChecked());
    EXPECT_TRUE(o->chkOnLsn->isChecked());
    EXPECT_TRUE(o->chkOnRep->isChecked());
    EXPECT_TRUE(o->chkOnMute->isChecked());
    EXPECT_TRUE(m->liveSettings().songLyrics()) << "a damaged value is the default";
    EXPECT_TRUE(m->liveSettings().showNextLine());
    EXPECT_EQ(w->pos(), QPoint(9, 7));
    EXPECT_TRUE(w->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(w->lblWrd->font().family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(w->lblWrd->font().pointSize(), 20);
    EXPECT_FALSE(w->lblWrd->font().bold());
    EXPECT_TRUE(w->lblWrd->font().italic());
    EXPECT_EQ(w->lblWrd->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(w->backColor(), int(0x80000005u));

    // The lesson switched QS mode off for a while: QS mode is still stored.
    m->cmdQs->setDown(false);
    m->qsSuspendedByLesson = true;
    o->StepBar->setValue(-40);
    closeMain(app);

    // Values replaced where they stood; the maximised window keeps its size.
    EXPECT_EQ(app.readSettings(),
              QStringLiteral("; kept\n"
                             "[Other]\nName=keep me\n"
                             "[MAIN]\nLeft=32\nTop=16\nColour=blue\n"
                             "[QS_Mode]\nSet=1\nBer=-15\nMute=1\n"
                             "[Words]\nSet=0\nDir_Option=1\nPath=/songs/歌詞\n"
                             "Width=800\nHeight=300\nWindowState=2\nTop=7\nLeft=9\n"
                             "FontName=IPAGothic\nFontSize=20\nFontBold=0\nFontItalic=1\n"
                             "ForeColor=255\nBackColor=-2147483643\nInd_Option=1\n"
                             "SongLyrics=1\nNextLine=1\n"
                             "[Lesson]\nSet=1\n"
                             "[Repeat]\nSet=1\n"
                             "[Click]\nRoute=none\nPort=\nChannel=10\nLevel=80\nAccent=1\nCount=1\n"
                             "[Output]\nDevice=synth\nPort=\nSoundFont=\nGmReset=0\n"));
}

TEST(Settings, LyricsWindowSizeAndStateAtClose)
{
    TestApp app;
    app.writeSettings("[Words]\nWidth=700\nHeight=200\nSet=1\n");
    app.start();
    TfrmWrd *w = app.main()->frmWrd;
    EXPECT_TRUE(app.main()->cmdWrd->isDown());
    EXPECT_EQ(w->size(), QSize(700, 200));

    // Minimised: its restored place and size, written as a normal window.
    w->move(40, 50);
    w->resize(500, 150);
    w->setWindowState(Qt::WindowMinimized);
    closeMain(app);
    const IniFile ini(app.settingsPath());
    EXPECT_EQ(ini.readInteger("Words", "WindowState", -1), 0);
    EXPECT_EQ(ini.readInteger("Words", "Left", -1), 40);
    EXPECT_EQ(ini.readInteger("Words", "Top", -1), 50);
    EXPECT_EQ(ini.readInteger("Words", "Width", -1), 500);
    EXPECT_EQ(ini.readInteger("Words", "Height", -1), 150);
    EXPECT_TRUE(ini.readBool("Words", "Set", false));
}

TEST(Settings, DamagedFilesNeverStopTheProgram)
{
    QByteArray junk;
    for (int i = 0; i < 70000; ++i)
        junk.append(char((i * 2654435761u) >> 24));
    const QByteArray cases[] = {
        junk,
        QByteArray(3 << 20, 'x') + "\n[Main]\nTop=\xff\xfe\n",
        QByteArrayLiteral("[QS_Mode]\0\0Set=1\n[Words]\nFontSize=-5\nWidth=0x\nHeight=$\n"),
    };
    for (const QByteArray &content : cases) {
        TestApp app;
        app.makeFile("Kazoon.ini", content);
        app.start();
        EXPECT_GT(app.main()->frmWrd->lblWrd->font().pointSize(), 0);
        closeMain(app);
        // The new file is complete and readable again.
        const IniFile ini(app.settingsPath());
        EXPECT_EQ(ini.readInteger("Repeat", "Set", -1), 0);
    }
}

TEST(Settings, FileLocationBesideTheProgramOrPersonal)
{
    QTemporaryDir dir;
    const QString app = dir.filePath("app"), config = dir.filePath("config");
    QDir().mkpath(app);
    EXPECT_EQ(settingsFilePath(app, true, config), app + "/Kazoon.ini");
    EXPECT_EQ(settingsFilePath(app, false, config), config + "/kazoon/Kazoon.ini");

    // A file beside a program in a read-only folder is carried over once, so
    // its settings stay and can be saved; later runs keep the personal file.
    QFile beside(app + "/Kazoon.ini");
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.write("[QS_Mode]\r\nSet=1\r\n");
    beside.close();
    const QString personal = settingsFilePath(app, false, config);
    EXPECT_EQ(IniFile(personal).readBool("QS_Mode", "Set", false), true);
    IniFile changed(personal);
    changed.writeBool("QS_Mode", "Set", false);
    changed.save();
    EXPECT_EQ(IniFile(settingsFilePath(app, false, config)).readBool("QS_Mode", "Set", true), false);
}

TEST(Settings, WindowsStoredOffEveryScreenComeBackOntoThePrimaryScreen)
{
    // Stored on a monitor that has since been removed.
    TestApp app;
    app.writeSettings("[Main]\nLeft=5000\nTop=-4000\n"
                      "[Words]\nLeft=-9000\nTop=300\nWidth=300\nHeight=200\n");
    app.start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    TfrmMain *m = app.main();
    EXPECT_TRUE(screen.contains(QRect(m->pos(), m->sizeHint()))) << m->pos().x() << "," << m->pos().y();
    TfrmWrd *w = app.main()->frmWrd;
    EXPECT_TRUE(screen.contains(QRect(w->pos(), w->size()))) << w->pos().x() << "," << w->pos().y();
    EXPECT_EQ(w->size(), QSize(300, 200));
}

TEST(Settings, HelpManualBesideTheProgramOrInstalled)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath("usr/bin");
    const QString beside = bin + "/help/index.html";
    const QString installed = dir.filePath("usr/share/kazoon/help/index.html");
    QDir().mkpath(bin);
    // No manual anywhere: the place beside the program, which the help command finds missing.
    EXPECT_EQ(helpFilePath(bin), beside);
    QDir().mkpath(QFileInfo(installed).absolutePath());
    ASSERT_TRUE(QFile(installed).open(QIODevice::WriteOnly));
    EXPECT_EQ(helpFilePath(bin), installed);
    // A manual beside the program (a build or a portable copy) comes first.
    QDir().mkpath(QFileInfo(beside).absolutePath());
    ASSERT_TRUE(QFile(beside).open(QIODevice::WriteOnly));
    EXPECT_EQ(helpFilePath(bin), beside);
}
