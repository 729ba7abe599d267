#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include "songlist/PerSongSettings.h"
#include "support/ScriptedDialogs.h"

namespace kazoon {
namespace {

using engine::SongAdjust;

// The settings on their own, the window's side played by plain values.
struct Rig {
    QTemporaryDir dir;
    QLabel panel;
    QStringList songs{QStringLiteral("/a.mid"), QStringLiteral("/b.mid")};
    QString loaded;
    std::optional<SongAdjust> player;
    QStringList badges{QString(), QString()};
    int boxes = 0;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<PerSongSettings> settings;

    Rig()
    {
        SongSettingsHost host;
        host.songPaths = [this] { return songs; };
        host.loadedSong = [this] { return loaded; };
        host.mayPlay = [] { return false; };
        host.play = [] {};
        host.applyToPlayer = [this](const SongAdjust &a) -> std::optional<SongAdjust> {
            if (loaded.isEmpty())
                return std::nullopt;
            player = a.clamped();
            return player;
        };
        host.playerAdjust = [this] { return player.value_or(SongAdjust{}); };
        host.listChanged = [] {};
        host.listRows = [this] { return int(badges.size()); };
        host.setBadge = [this](int row, const QString &b) { badges[row] = b; };
        host.showMessage = [this](const QString &, const QString &, int) { return ++boxes; };
        settings = std::make_unique<PerSongSettings>(host, &dialogs, &panel, nullptr);
    }
    QString list() const { return dir.filePath(QStringLiteral("set.mnu")); }
};

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(PerSongSettings, TheFileBesideTheListIsWrittenOnlyWhenItHasSettingsOrWasOurs)
{
    const struct {
        const char *name;
        QByteArray before; // the file beside the list when it was opened; empty: none
        bool fileAfter;
    } cases[] = {
        {"none, none set", "", false},
        {"ours with settings", "Kazoon song settings 1\r\n2\t100\t100\t/a.mid\r\n", true},
        {"damaged stays as it is", "garbage", true},
    };
    for (const auto &c : cases) {
        Rig r;
        const QString file = songlist::settingsPath(r.list());
        if (!c.before.isEmpty())
            writeBytes(file, c.before);
        r.settings->load(r.list());
        EXPECT_EQ(r.boxes, c.before == "garbage" ? 1 : 0) << c.name;
        EXPECT_EQ(r.settings->save(r.list()), QString()) << c.name;
        EXPECT_EQ(QFile::exists(file), c.fileAfter) << c.name;
        if (c.before == "garbage") {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), c.before) << c.name;
        }
    }
}

TEST(PerSongSettings, ShownBesideEachSongAndOnThePanelOnlyForTheLoadedSong)
{
    Rig r;
    writeBytes(songlist::settingsPath(r.list()), "Kazoon song settings 1\r\n2\t120\t100\t/b.mid\r\n");
    r.settings->load(r.list());
    r.settings->show();
    EXPECT_EQ(r.badges, (QStringList{QString(), songlist::settingsBadge({2, 120, 100})}));
    r.settings->applyStored(QStringLiteral("/b.mid"));
    EXPECT_EQ(r.panel.text(), QString()) << "no song loaded";
    r.loaded = QStringLiteral("/b.mid");
    r.settings->applyStored(r.loaded);
    EXPECT_EQ(r.player, (SongAdjust{2, 120, 100}));
    EXPECT_EQ(r.panel.text(), songlist::settingsBadge({2, 120, 100}));
    r.loaded.clear();
    r.settings->show();
    EXPECT_EQ(r.panel.text(), QString());
}

} // namespace
} // namespace kazoon
