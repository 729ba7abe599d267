#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidgetItem>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/TestApp.h"
#include "app/MainWindow.h"
#include "songlist/CheckListBox.h"
#include "songlist/PerSongSettings.h"
#include "songlist/SongSettings.h"
#include "songlist/TfrmSong.h"

using namespace kazoon;
using namespace kazoon::songlist;
using kazoon::test::TestApp;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

SongRecord rec(SongAdjust adjust, SongCount count = {}) { return SongRecord{adjust, count, {}}; }

TEST(SongSettingsFile, ReadsWhatItWritesWithAndWithoutTheCount)
{
    const SongSettings settings{{QStringLiteral("/show/曲 1.mid"), rec({2, 120, 80})},
                                {QStringLiteral("/show/tab\there.mid"), rec({-12, 50, 150}, {2, true})},
                                {QStringLiteral("/show/count only.mid"), rec({}, {0, false})},
                                {QStringLiteral("/show/click only.mid"), rec({}, {SongCount::kDefaultBars, true})}};
    const QByteArray bytes = serialiseSongSettings(settings);
    EXPECT_TRUE(bytes.startsWith("Kazoon song settings 2\r\n"));
    EXPECT_TRUE(bytes.contains("song\t/show/tab\there.mid\r\nadjust\t-12\t50\t150\r\ncount\t2\t1\r\n"));
    EXPECT_TRUE(bytes.contains("song\t/show/click only.mid\r\ncount\tdefault\t1\r\n"));
    const SettingsParse back = parseSongSettings(bytes);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.settings, settings);

    // Songs at their own settings leave no record.
    EXPECT_EQ(serialiseSongSettings({{"/a.mid", rec({})}}), QByteArray("Kazoon song settings 2\r\n"));
    const SettingsParse own = parseSongSettings("Kazoon song settings 2\nsong\t/a.mid\ncount\tdefault\t0\n");
    EXPECT_TRUE(own.ok);
    EXPECT_TRUE(own.settings.isEmpty());
}

TEST(SongSettingsFile, ReadsTheFirstVersion)
{
    const SettingsParse old = parseSongSettings("\xEF\xBB\xBFKazoon song settings 1\r\n2\t120\t80\t/show/tab\there.mid\r\n"
                                                "-1\t100\t100\t/b.mid\n0\t100\t100\t/b.mid\n");
    ASSERT_TRUE(old.ok);
    EXPECT_EQ(old.settings, (SongSettings{{"/show/tab\there.mid", rec({2, 120, 80})}})); // /b.mid set back by hand
    // Written again, it is the current version and reads the same.
    EXPECT_EQ(parseSongSettings(serialiseSongSettings(old.settings)).settings, old.settings);
}

TEST(SongSettingsFile, KeepsTagsItDoesNotKnowAndReadsLaterVersions)
{
    const QByteArray later = "Kazoon song settings 3\r\n"
                             "list\tbefore any song\r\n"
                             "song\t/a.mid\r\n"
                             "instr\t/a.syx\t1\r\n"
                             "adjust\t1\t100\t100\r\n"
                             "\r\n"
                             "song\t/b.mid\r\n"
                             "future\r\n";
    const SettingsParse p = parseSongSettings(later);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.settings, (SongSettings{{"/a.mid", SongRecord{{1, 100, 100}, {}, {"instr\t/a.syx\t1"}}},
                                        {"/b.mid", SongRecord{{}, {}, {"future"}}}}));
    // A save here keeps them.
    const QByteArray saved = serialiseSongSettings(p.settings);
    EXPECT_TRUE(saved.contains("song\t/a.mid\r\nadjust\t1\t100\t100\r\ninstr\t/a.syx\t1\r\n"));
    EXPECT_EQ(parseSongSettings(saved).settings, p.settings);
}

TEST(SongSettingsFile, RefusesDamage)
{
    const char *damaged[] = {
        "",
        "Kazoon song settings\r\n",
        "Kazoon song settings 0\r\n",
        "Kazoon song settings x\r\n",
        "2\t120\t80\t/a.mid\r\n", // no version line
        "Kazoon song settings 1\r\n2\t120\t/a.mid\r\n",
        "Kazoon song settings 1\r\n13\t100\t100\t/a.mid\r\n",
        "Kazoon song settings 1\r\n0\t49\t100\t/a.mid\r\n",
        "Kazoon song settings 1\r\n0\t100\t151\t/a.mid\r\n",
        "Kazoon song settings 1\r\nx\t100\t100\t/a.mid\r\n",
        "Kazoon song settings 1\r\n1\t100\t100\t\r\n", // no path
        "Kazoon song settings 1\r\n\r\n",
        "Kazoon song settings 1\r\n1\t100\t100\t/a.mid\r\n1\t100\t\t/b.mid\r\n", // damage after a sound line
        "Kazoon song settings 2\r\nsong\r\n",
        "Kazoon song settings 2\r\nsong\t\r\n",
        "Kazoon song settings 2\r\nadjust\t1\t100\t100\r\n", // a known tag before any song
        "Kazoon song settings 2\r\nsong\t/a.mid\r\nadjust\t1\t100\r\n",
        "Kazoon song settings 2\r\nsong\t/a.mid\r\nadjust\t1\t201\t100\r\n",
        "Kazoon song settings 2\r\nsong\t/a.mid\r\ncount\t3\t0\r\n",
        "Kazoon song settings 2\r\nsong\t/a.mid\r\ncount\t1\t2\r\n",
        "Kazoon song settings 2\r\nsong\t/a.mid\r\ncount\t1\r\n",
        "Kazoon song settings 2\r\nsong\t/a.mid\r\nadjust\t1\t100\t100\r\nsong\t/b.mid\r\ncount\tx\t0\r\n",
    };
    for (const char *text : damaged) {
        const SettingsParse p = parseSongSettings(QByteArray(text));
        EXPECT_FALSE(p.ok) << text;
        EXPECT_TRUE(p.settings.isEmpty()) << text;
    }
    // A song at its own settings needs no line; one written by hand is no damage.
    const SettingsParse own = parseSongSettings("Kazoon song settings 1\n0\t100\t100\t/a.mid\n");
    EXPECT_TRUE(own.ok);
    EXPECT_TRUE(own.settings.isEmpty());
}

TEST(SongSettingsFile, MovedListFindsItsSongsByUniqueFileName)
{
    const SongSettings stored{{"/old/a.mid", rec({1, 100, 100})}, {"/old/b.mid", rec({2, 100, 100}, {1, true})},
                              {"/old/x/c.mid", rec({3, 100, 100})}, {"/old/y/c.mid", rec({4, 100, 100})}};
    const SongSettings matched =
        matchSongSettings(stored, {"/new/a.mid", "/old/b.mid", "/new/c.mid", "/old/y/c.mid", "/new/d.mid"});
    EXPECT_EQ(matched, (SongSettings{{"/new/a.mid", rec({1, 100, 100})},
                                     {"/old/b.mid", rec({2, 100, 100}, {1, true})},
                                     {"/old/y/c.mid", rec({4, 100, 100})}})); // "/new/c.mid" is ambiguous
}

TEST(SongSettingsFile, FileBesideTheListMissingDamagedAndGoneWithTheLastSetting)
{
    QTemporaryDir dir;
    const QString list = dir.filePath("show.mnu");
    EXPECT_EQ(settingsPath(list), list + ".kzs");
    EXPECT_EQ(readSongSettings(list).status, SettingsRead::None);

    const QStringList songs{"/s/a.mid", "/s/b.mid"};
    SongSettings settings{{"/s/a.mid", rec({-3, 100, 100})}, {"/s/gone.mid", rec({5, 100, 100})}};
    EXPECT_TRUE(writeSongSettings(list, settings, songs).isEmpty());
    EXPECT_EQ(readBytes(settingsPath(list)), QByteArray("Kazoon song settings 2\r\nsong\t/s/a.mid\r\nadjust\t-3\t100\t100\r\n"));
    const SettingsRead read = readSongSettings(list);
    EXPECT_EQ(read.status, SettingsRead::Ok);
    EXPECT_EQ(read.settings, (SongSettings{{"/s/a.mid", rec({-3, 100, 100})}}));

    writeBytes(settingsPath(list), "Kazoon song settings 1\r\nbroken\r\n");
    EXPECT_EQ(readSongSettings(list).status, SettingsRead::Damaged);
    ASSERT_TRUE(QFile::remove(settingsPath(list)));
    ASSERT_TRUE(QDir(dir.path()).mkdir("show.mnu.kzs")); // a folder of that name
    EXPECT_EQ(readSongSettings(list).status, SettingsRead::Damaged);
    ASSERT_TRUE(QDir(dir.path()).rmdir("show.mnu.kzs"));

    EXPECT_TRUE(writeSongSettings(list, settings, songs).isEmpty());
    EXPECT_TRUE(writeSongSettings(list, {}, songs).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(settingsPath(list)));
}

TEST(SongSettingsFile, BadgeSaysWhatDiffers)
{
    EXPECT_EQ(settingsBadge({}), QString());
    EXPECT_EQ(settingsBadge({2, 100, 100}), QStringLiteral("♯2"));
    EXPECT_EQ(settingsBadge({-3, 120, 100}), QStringLiteral("♭3 120%"));
    EXPECT_EQ(settingsBadge({0, 100, 80}), QStringLiteral("音量80%"));
}

class SongSettingsWindow : public ::testing::Test {
protected:
    TestApp app;
    TfrmMain *w = nullptr;
    QStringList songs;

    void SetUp() override
    {
        app.start();
        w = app.main();
        for (const char *name : {"songs/a.mid", "songs/b.mid"})
            songs << app.makeSong(name);
    }
    QString list() { return app.makeList("show.mnu", {"1 " + songs[0], "0 " + songs[1]}); }
    void open(const QString &path)
    {
        app.dialogs.openFile(path);
        w->action("mnuOpenItem")->trigger();
    }
    // Opens the dialog for the selected song and sets its three values.
    void setSong(SongAdjust adjust, bool ok = true, std::function<void(TfrmSong *)> during = {})
    {
        app.dialogs.onExec([=](QDialog *d) {
            auto *dialog = static_cast<TfrmSong *>(d);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("曲の設定"));
            dialog->spnKey->setValue(adjust.transpose);
            dialog->spnTempo->setValue(adjust.tempoPercent);
            dialog->spnVolume->setValue(adjust.volumePercent);
            if (during)
                during(dialog);
            (ok ? dialog->OKBtn : dialog->CancelBtn)->click();
            return dialog->result();
        });
        w->mnuSongItem->trigger();
    }
};

TEST_F(SongSettingsWindow, ListWithoutSettingsSavesByteForByteAndLeavesNoFile)
{
    const QString path = list();
    const QByteArray before = readBytes(path);
    open(path);
    w->mnuOverItem->trigger();
    EXPECT_EQ(readBytes(path), before);
    EXPECT_FALSE(QFileInfo::exists(settingsPath(path)));
    EXPECT_TRUE(app.device.calls.filter("Adjust").isEmpty());
    EXPECT_TRUE(app.dialogs.boxes.isEmpty());
}

TEST_F(SongSettingsWindow, DialogSetsTheSongShowsItAndSavesItBesideTheList)
{
    const QString path = list();
    const QByteArray before = readBytes(path);
    open(path);
    setSong({2, 120, 100}, true, [&](TfrmSong *) {
        // Heard at once on the loaded song.
        EXPECT_EQ(app.device.Adjust(), (SongAdjust{2, 120, 100}));
    });
    EXPECT_TRUE(w->listModified);
    EXPECT_EQ(w->lstLive->lineText(0), "a.mid"); // the name stays the file name
    EXPECT_EQ(w->lstLive->badge(0), QStringLiteral("♯2 120%"));
    EXPECT_EQ(w->lstLive->badge(1), QString());
    EXPECT_EQ(w->songSettings().panelLabel()->text(), QStringLiteral("♯2 120%"));

    w->mnuOverItem->trigger();
    EXPECT_FALSE(w->listModified);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(readBytes(settingsPath(path)),
              "Kazoon song settings 2\r\nsong\t" + songs[0].toUtf8() + "\r\nadjust\t2\t120\t100\r\n");

    // Cancel gives the song back what it had.
    setSong({-5, 60, 30}, false);
    EXPECT_EQ(app.device.Adjust(), (SongAdjust{2, 120, 100}));
    EXPECT_EQ(w->lstLive->badge(0), QStringLiteral("♯2 120%"));

    // Opened again, the song gets its settings when it is loaded; the other plays as it is.
    open(path);
    EXPECT_EQ(app.device.Adjust(), (SongAdjust{2, 120, 100}));
    w->lstLive->setCurrentRow(1);
    EXPECT_EQ(app.device.Adjust(), SongAdjust{});
    EXPECT_EQ(w->songSettings().panelLabel()->text(), QString());

    // Back to its own: the file goes with the last setting.
    w->lstLive->setCurrentRow(0);
    setSong({});
    EXPECT_EQ(w->lstLive->badge(0), QString());
    w->mnuOverItem->trigger();
    EXPECT_FALSE(QFileInfo::exists(settingsPath(path)));
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(SongSettingsWindow, PlayButtonPlaysThroughTheWindowFromTheCurrentPosition)
{
    open(list());
    app.device.calls.clear();
    setSong({0, 150, 100}, true, [&](TfrmSong *dialog) {
        ASSERT_TRUE(dialog->cmdPlay->isEnabled());
        dialog->cmdPlay->click();
        EXPECT_EQ(app.device.Mode(), DeviceMode::Playing);
        EXPECT_EQ(w->playerState, Playing);
        EXPECT_FALSE(dialog->cmdPlay->isEnabled());
        dialog->spnKey->setValue(-1); // under the play, at once
    });
    EXPECT_EQ(app.device.calls.filter("Adjust"), (QStringList{"Adjust 0 150% 100%", "Adjust -1 150% 100%"}));
    EXPECT_EQ(app.device.calls.filter("Play"), QStringList{"Play"});
}

TEST_F(SongSettingsWindow, DamagedFileIsReportedAndTheListOpensWithoutSettings)
{
    const QString path = list();
    const QByteArray damaged = "Kazoon song settings 1\r\n99\t100\t100\t" + songs[0].toUtf8() + "\r\n";
    writeBytes(settingsPath(path), damaged);
    open(path);
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_TRUE(app.dialogs.boxes.at(0).text.startsWith(QStringLiteral("曲の設定ファイルを読み込めません。")));
    EXPECT_EQ(w->lstLive->count(), 2);
    EXPECT_EQ(w->lstLive->badge(0), QString());
    EXPECT_TRUE(app.device.calls.filter("Adjust").isEmpty());
    // Saving the list without settings leaves the damaged file to the performer.
    w->mnuOverItem->trigger();
    EXPECT_EQ(readBytes(settingsPath(path)), damaged);
}

TEST_F(SongSettingsWindow, ListMovedWithItsSongsKeepsTheSettings)
{
    const QString path = list();
    writeBytes(settingsPath(path), "Kazoon song settings 1\r\n-2\t100\t90\t/elsewhere/b.mid\r\n");
    open(path);
    EXPECT_EQ(w->lstLive->badge(1), QStringLiteral("♭2 音量90%"));
    EXPECT_FALSE(w->listModified);
    w->lstLive->setCurrentRow(1);
    EXPECT_EQ(app.device.Adjust(), (SongAdjust{-2, 100, 90}));
}

TEST_F(SongSettingsWindow, ThePanelShowsTheWholeSettings)
{
    open(list());
    QLabel *label = w->songSettings().panelLabel();
    QWidget *stepCaption = label->parentWidget()->findChild<QLabel *>("Label2", Qt::FindDirectChildrenOnly);
    ASSERT_NE(stepCaption, nullptr);
    for (const SongAdjust &adjust : {SongAdjust{2, 120, 80}, SongAdjust{12, 200, 150}, SongAdjust{-12, 50, 0}}) {
        setSong(adjust);
        const QString shown = settingsBadge(adjust);
        SCOPED_TRACE(shown.toStdString());
        ASSERT_EQ(label->text(), shown);
        // Whole, in the panel's font, and clear of the step display.
        const QSize needed = label->sizeHint();
        EXPECT_GE(label->width(), needed.width());
        EXPECT_GE(label->height(), needed.height());
        EXPECT_TRUE(label->parentWidget()->contentsRect().contains(label->geometry()));
        EXPECT_FALSE(label->geometry().intersects(stepCaption->geometry()));
        EXPECT_FALSE(label->geometry().intersects(w->lblStep->geometry()));
    }
}

} // namespace
