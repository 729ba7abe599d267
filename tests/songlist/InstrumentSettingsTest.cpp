#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include "player/engine/RecordingOutput.h"
#include "songlist/PerSongSettings.h"
#include "songlist/SetupLines.h"
#include "songlist/TfrmInstruments.h"
#include "songlist/TfrmSong.h"
#include "app/MainWindow.h"
#include "songlist/CheckListBox.h"
#include "support/ScriptedDialogs.h"
#include "support/TestApp.h"

namespace kazoon {
namespace {

using engine::InstrumentSetup;
using engine::SetupMessages;
using songlist::SongRecord;

const QByteArray kPatch("\xF0\x41\x10\x42\x12\x40\x00\x7F\x00\x41\xF7", 11);

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

InstrumentSetup fullSetup(const std::string &sysex)
{
    InstrumentSetup s;
    s.channels[0] = {8, -1, 20, {{7, 90}, {91, 40}}};
    s.channels[9] = {-1, -1, -1, {{10, 64}}};
    s.channels[15].program = 127;
    s.sysexFile = sysex;
    s.songNumber = 0;
    s.songNumberChannel = 15;
    s.songNumberPort = "Light\tdesk 20:0";
    return s;
}

TEST(InstrumentSettings, KeptInTheSongSettingsFileAndReadBackAsTheyWere)
{
    songlist::SongSettings settings;
    SongRecord a;
    a.instruments = fullSetup("patches/strings.syx");
    a.adjust = {2, 100, 100};
    settings.insert(QStringLiteral("/songs/a.mid"), a);
    SongRecord b;
    b.instruments.songNumber = 5; // to the song's own output
    settings.insert(QStringLiteral("/songs/b.mid"), b);
    SongRecord c;
    c.adjust = {0, 90, 100}; // no set-up at all
    settings.insert(QStringLiteral("/songs/c.mid"), c);
    SongRecord empty;
    empty.instruments.channels[3].bankMsb = -1; // nothing set: not kept
    settings.insert(QStringLiteral("/songs/d.mid"), empty);

    const QByteArray bytes = songlist::serialiseSongSettings(settings);
    EXPECT_TRUE(bytes.contains("song\t/songs/a.mid\r\nadjust\t2\t100\t100\r\n"
                               "setup\t1\t8\t-\t20\t7=90\t91=40\r\nsetup\t10\t-\t-\t-\t10=64\r\n"
                               "setup\t16\t-\t-\t127\r\nsysex\tpatches/strings.syx\r\n"
                               "songno\t0\t16\tLight\tdesk 20:0\r\n"));
    EXPECT_TRUE(bytes.contains("songno\t5\t1\t\r\n"));
    const songlist::SettingsParse parsed = songlist::parseSongSettings(bytes);
    ASSERT_TRUE(parsed.ok);
    settings.remove(QStringLiteral("/songs/d.mid"));
    EXPECT_EQ(parsed.settings, settings);

    // An older file has no set-ups and reads as it always did.
    const songlist::SettingsParse v1 =
        songlist::parseSongSettings("Kazoon song settings 1\r\n2\t120\t100\t/songs/a.mid\r\n");
    ASSERT_TRUE(v1.ok);
    EXPECT_TRUE(v1.settings.value(QStringLiteral("/songs/a.mid")).instruments.empty());
    EXPECT_EQ(v1.settings.value(QStringLiteral("/songs/a.mid")).adjust, (engine::SongAdjust{2, 120, 100}));
}

TEST(InstrumentSettings, ABadSetUpLineMakesTheFileDamaged)
{
    for (const char *line : {"setup\t0\t-\t-\t1", "setup\t17\t-\t-\t1", "setup\t1\t128\t-\t1", "setup\t1\t-\t-",
                             "setup\t1\t-\t-\t1\t120=1", "setup\t1\t-\t-\t1\t7=", "setup\t1\t-\t-\t1\t7",
                             "songno\t128\t1\t", "songno\t1\t0\t", "songno\t1\t1", "sysex\t", "sysex"}) {
        SCOPED_TRACE(line);
        const QByteArray bytes = QByteArray("Kazoon song settings 2\r\nsong\t/a.mid\r\n") + line + "\r\n";
        EXPECT_FALSE(songlist::parseSongSettings(bytes).ok);
    }
    // Before any song a set-up line belongs to no one: the file is damaged.
    EXPECT_FALSE(songlist::parseSongSettings("Kazoon song settings 2\r\nsetup\t1\t-\t-\t1\r\n").ok);
}

TEST(InstrumentSettings, SysexFilesBelowTheListAreKeptRelativeToIt)
{
    const QString list = QStringLiteral("/show/2026/set.mnu");
    EXPECT_EQ(songlist::storedSysexPath(list, QStringLiteral("/show/2026/syx/a.syx")), QStringLiteral("syx/a.syx"));
    EXPECT_EQ(songlist::storedSysexPath(list, QStringLiteral("/show/other/a.syx")), QStringLiteral("/show/other/a.syx"));
    EXPECT_EQ(songlist::storedSysexPath(QString(), QStringLiteral("/x/a.syx")), QStringLiteral("/x/a.syx"));
    EXPECT_EQ(songlist::sysexFilePath(list, QStringLiteral("syx/a.syx")), QStringLiteral("/show/2026/syx/a.syx"));
    EXPECT_EQ(songlist::sysexFilePath(list, QStringLiteral("/x/a.syx")), QStringLiteral("/x/a.syx"));
}

// The per-song settings with the player's side played by plain values.
struct Rig {
    QTemporaryDir dir;
    QLabel panel;
    QStringList songs;
    QString loaded;
    std::vector<std::shared_ptr<const SetupMessages>> handed, replaced;
    QStringList boxes, reports;
    std::vector<engine::RecordingOutput *> ports; // opened for song numbers, failing while portsFail
    bool portsFail = false;
    int changes = 0;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<PerSongSettings> settings;

    Rig()
    {
        songs = {dir.filePath(QStringLiteral("a.mid")), dir.filePath(QStringLiteral("b.mid"))};
        SongSettingsHost host;
        host.songPaths = [this] { return songs; };
        host.loadedSong = [this] { return loaded; };
        host.mayPlay = [] { return false; };
        host.play = [] {};
        host.applyToPlayer = [](const engine::SongAdjust &) { return std::optional<engine::SongAdjust>(); };
        host.playerAdjust = [] { return engine::SongAdjust{}; };
        host.listChanged = [this] { ++changes; };
        host.listRows = [this] { return int(songs.size()); };
        host.setBadge = [](int, const QString &) {};
        host.showMessage = [this](const QString &text, const QString &, int) {
            boxes << text;
            return 1;
        };
        host.instruments.setupNext = [this](std::shared_ptr<const SetupMessages> s) { handed.push_back(std::move(s)); };
        host.instruments.report = [this](const QString &text) { reports << text; };
        host.instruments.openPort = [this](const std::string &) {
            auto port = std::make_unique<engine::RecordingOutput>();
            port->fail(portsFail);
            ports.push_back(port.get());
            return port;
        };
        host.ports = [] { return QStringList{QStringLiteral("Synth A 20:0")}; };
        host.replaceSetup = [this](std::shared_ptr<const SetupMessages> s) { replaced.push_back(std::move(s)); };
        settings = std::make_unique<PerSongSettings>(host, &dialogs, &panel, nullptr);
    }
    QString list() const { return dir.filePath(QStringLiteral("set.mnu")); }
    void writeSettings(const QByteArray &records)
    {
        writeBytes(songlist::settingsPath(list()), "Kazoon song settings 2\r\n" + records);
    }
};

bool hasSysex(const std::shared_ptr<const SetupMessages> &m)
{
    return m && std::any_of(m->messages.begin(), m->messages.end(), [](const auto &x) { return x[0] == 0xF0; });
}

TEST(InstrumentSettings, SysexFilesAreReadWhenTheListOpensAndADamagedOneIsLeftOutWithAMessage)
{
    Rig r;
    QDir(r.dir.path()).mkdir(QStringLiteral("syx"));
    writeBytes(r.dir.filePath(QStringLiteral("syx/good.syx")), kPatch);
    writeBytes(r.dir.filePath(QStringLiteral("syx/cut.syx")), kPatch.left(6));
    r.writeSettings("song\t" + r.songs[0].toUtf8() + "\r\nsetup\t1\t-\t-\t5\r\nsysex\tsyx/good.syx\r\n"
                    "song\t" + r.songs[1].toUtf8() + "\r\nsetup\t2\t-\t-\t6\r\nsysex\tsyx/cut.syx\r\n");
    r.settings->load(r.list());
    ASSERT_EQ(r.boxes.size(), 1);
    EXPECT_TRUE(r.boxes[0].contains(QStringLiteral("cut.syx")));
    EXPECT_FALSE(r.boxes[0].contains(QStringLiteral("good.syx")));

    // Gone after the list opened: what was read goes out all the same.
    QFile::remove(r.dir.filePath(QStringLiteral("syx/good.syx")));
    r.settings->prepareLoad(r.songs[0]);
    r.settings->prepareLoad(r.songs[1]);
    ASSERT_EQ(r.handed.size(), 2u);
    EXPECT_TRUE(hasSysex(r.handed[0]));
    EXPECT_FALSE(hasSysex(r.handed[1])) << "the damaged file is not sent";
    ASSERT_TRUE(r.handed[1]);
    EXPECT_EQ(r.handed[1]->messages.back(), (std::vector<std::uint8_t>{0xC1, 6})) << "the song keeps the rest";

    // Saved elsewhere, the list still finds its files.
    QTemporaryDir other;
    const QString moved = other.filePath(QStringLiteral("moved.mnu"));
    ASSERT_EQ(r.settings->save(moved), QString());
    QFile f(songlist::settingsPath(moved));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(("sysex\t" + r.dir.filePath(QStringLiteral("syx/cut.syx"))).toUtf8()));
}

TEST(InstrumentSettings, SongNumberOnAMissingPortIsReportedAndTheSongStillGetsItsSetUp)
{
    Rig r;
    r.writeSettings("song\t" + r.songs[0].toUtf8() + "\r\nsetup\t1\t-\t-\t5\r\nsongno\t3\t1\tNo such port\r\n");
    r.settings->load(r.list());
    r.portsFail = true;
    r.settings->prepareLoad(r.songs[0]);
    ASSERT_EQ(r.handed.size(), 1u);
    ASSERT_TRUE(r.handed[0]);
    EXPECT_EQ(r.handed[0]->messages.size(), 1u) << "the song number is not for the song's output";
    EXPECT_TRUE(r.boxes.isEmpty()) << "no box holds up the load";
    ASSERT_EQ(r.reports.size(), 1);
    EXPECT_TRUE(r.reports[0].contains(QStringLiteral("MIDI出力ポートを使用できません")));

    // Back again: the next load sends the number on the same port.
    ASSERT_EQ(r.ports.size(), 1u);
    r.ports[0]->fail(false);
    r.settings->prepareLoad(r.songs[0]);
    r.ports[0]->advanceBy(1000);
    ASSERT_EQ(r.ports[0]->messages().size(), 1u);
    EXPECT_EQ(r.ports[0]->messages()[0].bytes, (std::vector<std::uint8_t>{0xC0, 3}));
    EXPECT_EQ(r.reports.size(), 1);
}

TEST(InstrumentSettings, TheDialogRefusesADamagedFileAndBadControllers)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.syx")), bad = dir.filePath(QStringLiteral("bad.syx"));
    writeBytes(good, kPatch);
    writeBytes(bad, "MThd\0\0\0\6");
    QStringList boxes, chosen{good, bad};
    InstrumentDialogHooks hooks;
    hooks.ports = [] { return QStringList{QStringLiteral("Synth A 20:0")}; };
    hooks.readSysex = [](const QString &file) {
        const engine::SysexRead read = engine::readSysexFile(file.toStdString());
        return QString::fromStdString(engine::sysexErrorText(read.status, "bad.syx"));
    };
    hooks.chooseSysex = [&chosen](const QString &) { return chosen.takeFirst(); };
    hooks.showMessage = [&boxes](const QString &text, const QString &, int) {
        boxes << text;
        return 1;
    };
    const InstrumentSetup start = fullSetup("");
    TfrmInstruments dialog(hooks, QStringLiteral("a.mid"), start);
    EXPECT_EQ(dialog.setup(), start) << "a port that is not there now stays the choice";
    EXPECT_FALSE(dialog.rows[1].bankMsb->isEnabled()) << "a bank needs a program";

    dialog.cmdSysex->click();
    EXPECT_EQ(dialog.setup().sysexFile, good.toStdString());
    dialog.cmdSysex->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("bad.syx")));
    EXPECT_EQ(dialog.setup().sysexFile, good.toStdString()) << "the damaged file is not taken";

    dialog.rows[4].controls->setText(QStringLiteral("7=100 x"));
    dialog.show();
    dialog.OKBtn->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(boxes.size(), 2);
    dialog.rows[4].controls->setText(QStringLiteral("7=100, 91=40"));
    dialog.OKBtn->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.setup().channels[4].controls, (std::vector<std::pair<int, int>>{{7, 100}, {91, 40}}));

    dialog.cmdClear->click();
    EXPECT_TRUE(dialog.setup().empty());
}

TEST(InstrumentSettings, SetFromTheSongDialogAndKeptOnlyWithItsOk)
{
    for (const bool ok : {false, true}) {
        Rig r;
        r.settings->load(r.list());
        r.loaded = r.songs[0];
        r.dialogs.onExec([ok](QDialog *d) {
            auto *song = static_cast<TfrmSong *>(d);
            EXPECT_TRUE(song->cmdInstruments->isVisible());
            song->cmdInstruments->click();
            return ok ? QDialog::Accepted : QDialog::Rejected;
        });
        r.dialogs.onExec([](QDialog *d) {
            auto *dialog = static_cast<TfrmInstruments *>(d);
            dialog->rows[2].program->setValue(11);
            dialog->OKBtn->click();
            return QDialog::Accepted;
        });
        r.settings->edit(r.songs[0]);
        EXPECT_EQ(r.dialogs.executed, (QStringList{QStringLiteral("frmSong"), QStringLiteral("frmInstruments")}));
        EXPECT_EQ(r.settings->settings().value(r.songs[0]).instruments.channels[2].program, ok ? 10 : -1);
        EXPECT_EQ(r.changes, ok ? 1 : 0);
        // The loaded song gets the new set-up at once.
        ASSERT_EQ(r.replaced.size(), ok ? 1u : 0u);
        if (ok) {
            EXPECT_EQ(r.replaced[0]->messages.back(), (std::vector<std::uint8_t>{0xC2, 10}));
        }
    }
}

// Fits a laptop's screen (1366 × 768 less the panels), and a screen reader
// names every control and reads the file's name as shown.
TEST(InstrumentSettings, TheDialogFitsALaptopAndEveryControlIsNamed)
{
    TfrmInstruments dialog({}, QStringLiteral("a.mid"), fullSetup("/x/strings.syx"));
    dialog.show();
    EXPECT_LE(dialog.height(), 700);
    EXPECT_LE(dialog.width(), 1300);
    auto spoken = [](QWidget *w, QAccessible::Text t) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(t) : QString();
    };
    int named = 0;
    for (QWidget *w : dialog.findChildren<QWidget *>()) {
        const bool input = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
                           qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w);
        if (!input || qobject_cast<QComboBox *>(w->parentWidget()) || qobject_cast<QAbstractSpinBox *>(w->parentWidget()))
            continue;
        EXPECT_FALSE(spoken(w, QAccessible::Name).trimmed().isEmpty()) << w->metaObject()->className();
        ++named;
    }
    EXPECT_GE(named, 16 * 4 + 8);
    EXPECT_EQ(spoken(dialog.lblSysex, QAccessible::Name), QStringLiteral("strings.syx"));
    EXPECT_FALSE(spoken(dialog.lblSysex, QAccessible::Description).isEmpty());
}

// The window hands each song's set-up to the player before it opens the song,
// and tells of a damaged SysEx file once, when the list opens.
TEST(InstrumentSettings, TheWindowHandsTheSetUpToThePlayerBeforeEachLoad)
{
    test::TestApp app;
    const QString a = app.makeSong(QStringLiteral("a.mid")), b = app.makeSong(QStringLiteral("b.mid"));
    app.makeFile(QStringLiteral("syx/cut.syx"), kPatch.left(4));
    const QString list = app.makeList(QStringLiteral("set.mnu"), {"0 " + a, "0 " + b});
    app.makeFile(QStringLiteral("set.mnu.kzs"),
                 "Kazoon song settings 2\r\nsong\t" + a.toUtf8() + "\r\nsetup\t1\t-\t-\t5\t7=90\r\nsysex\tsyx/cut.syx\r\n");
    app.start();
    TfrmMain *w = app.main();
    app.dialogs.openFile(list);
    w->action("mnuOpenItem")->trigger();
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_TRUE(app.dialogs.boxes[0].text.contains(QStringLiteral("cut.syx")));

    const QStringList calls = app.device.calls;
    const qsizetype open = calls.indexOf(QStringLiteral("Open a.mid"));
    ASSERT_GE(open, 1);
    EXPECT_EQ(calls.at(open - 1), QStringLiteral("SetSetupNext 2")) << "program and volume, without the damaged file";
    app.device.calls.clear();
    w->lstLive->setCurrentRow(1);
    EXPECT_TRUE(app.device.calls.contains(QStringLiteral("Open b.mid")));
    EXPECT_TRUE(app.device.calls.filter(QStringLiteral("SetSetupNext")).isEmpty());
}

} // namespace
} // namespace kazoon
