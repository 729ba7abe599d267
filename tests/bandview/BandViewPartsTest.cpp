#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <gtest/gtest.h>

#include "app/IniFile.h"
#include "bandview/BandViewSettings.h"
#include "bandview/HttpRequest.h"
#include "bandview/LanAddress.h"
#include "bandview/QrCode.h"
#include "bandview/StageContent.h"
#include "player/PlayerState.h"

using namespace kazoon;

TEST(BandViewSettings, DamagedValuesFallBackAndAViewTurnedOnAlwaysHasACode)
{
    const struct {
        const char *text;
        bool enabled;
        int port;
        bool keepsCode;
    } rows[] = {
        {"", false, 8765, false},
        {"[BandView]\r\nEnabled=1\r\nPort=9000\r\nCode=abcdefghjkmn\r\n", true, 9000, true},
        {"[BandView]\r\nEnabled=1\r\nPort=0\r\nCode=abcdefghjkmn\r\n", true, 8765, true},
        {"[BandView]\r\nEnabled=1\r\nPort=70000\r\nCode=abc\r\n", true, 8765, false},
        {"[BandView]\r\nEnabled=yes\r\nPort=x\r\nCode=ABCDEFGHJKMN\r\n", false, 8765, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        IniFile ini;
        ini.parse(row.text);
        const BandViewSettings s = BandViewSettings::read(ini);
        EXPECT_EQ(s.enabled, row.enabled);
        EXPECT_EQ(s.port, row.port);
        if (row.keepsCode)
            EXPECT_EQ(s.code, QStringLiteral("abcdefghjkmn"));
        else if (s.enabled)
            EXPECT_TRUE(isAccessCode(s.code)) << "a new code for a view that is on";
        else
            EXPECT_TRUE(s.code.isEmpty());
    }
}

TEST(BandViewSettings, CodesAreRandomReadableAndComparedWhole)
{
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString code = newAccessCode();
        EXPECT_TRUE(isAccessCode(code)) << code.toStdString();
        for (QChar c : code)
            EXPECT_FALSE(QStringLiteral("01ilo").contains(c));
        seen.insert(code);
    }
    EXPECT_EQ(seen.size(), 200);

    EXPECT_TRUE(sameCode("abcdefghjkmn", "abcdefghjkmn"));
    EXPECT_FALSE(sameCode("abcdefghjkmp", "abcdefghjkmn"));
    EXPECT_FALSE(sameCode("abcdefghjkm", "abcdefghjkmn"));
    EXPECT_FALSE(sameCode("abcdefghjkmnabcdefghjkmn", "abcdefghjkmn")) << "the code twice";
    EXPECT_FALSE(sameCode("", "abcdefghjkmn"));
    EXPECT_FALSE(sameCode("", "")) << "no code set opens nothing";

    EXPECT_EQ(bandViewAddress(QStringLiteral("192.168.1.20"), 8765, QStringLiteral("abc")),
              QStringLiteral("http://192.168.1.20:8765/?k=abc"));
    EXPECT_EQ(bandViewAddress(QStringLiteral("fd00::5"), 8765, QStringLiteral("abc")),
              QStringLiteral("http://[fd00::5]:8765/?k=abc"));
}

// The Host a page asked with goes back out in the page's policy header: only
// a plain host and port may, never one that carries a line break or a quote.
TEST(HttpRequest, AHostGoesBackOutOnlyWhenPlain)
{
    for (const char *plain : {"192.168.1.5:8765", "[::1]:8765", "kazoon.local"})
        EXPECT_TRUE(saneHost(plain)) << plain;
    for (const char *bad : {"", "a\n", "a\r\nX-Evil: 1", "a\"b", "a b", "a;b"})
        EXPECT_FALSE(saneHost(bad)) << bad;
    EXPECT_FALSE(saneHost(QByteArray(256, 'a')));

    const HttpRequest r = parseHttpRequest("GET /ws?k=ab%63 HTTP/1.1\r\nHOST: x:1\r\nUpgrade: WebSocket\r", 99);
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.path, "/ws");
    EXPECT_EQ(r.code, "abc");
    EXPECT_EQ(r.host, "x:1");
    EXPECT_TRUE(r.upgrade);
    EXPECT_EQ(parseHttpRequest("GET / HTTP/1.1\r\nTransfer-Encoding: chunked", 99).bodyBytes, 99);
    EXPECT_FALSE(parseHttpRequest("GET nothing HTTP/1.1", 99).valid);
}

TEST(LanAddress, TheHomeNetworkComesFirstAndNoNetworkGivesNone)
{
    const auto at = [](const char *name, const char *ip, bool up = true, bool loop = false, bool p2p = false) {
        return InterfaceAddress{QLatin1String(name), QHostAddress(QLatin1String(ip)), up, loop, p2p};
    };
    EXPECT_TRUE(rankLanAddresses({}).isEmpty());
    EXPECT_TRUE(rankLanAddresses({at("lo", "127.0.0.1", true, true), at("lo", "::1", true, true),
                                  at("wlan0", "169.254.3.4"), at("eth0", "192.168.1.5", false)})
                    .isEmpty())
        << "loopback, link-local and a cable pulled out are no network";
    EXPECT_EQ(rankLanAddresses({at("docker0", "172.17.0.1"), at("tun0", "10.8.0.2", true, false, true),
                                at("wlan0", "fe80::1"), at("wlan0", "2001:db8::7"),
                                at("eth0", "203.0.113.9"), at("wlan0", "192.168.1.5"),
                                at("virbr0", "192.168.122.1")}),
              QStringList({"192.168.1.5", "203.0.113.9", "172.17.0.1", "192.168.122.1", "10.8.0.2",
                           "2001:db8::7"}));
    EXPECT_EQ(rankLanAddresses({at("eth0", "10.0.0.2"), at("wlan0", "10.0.0.2")}), QStringList({"10.0.0.2"}));
}

TEST(StageContent, StatesAsTheBandReadsThem)
{
    EXPECT_EQ(stageStateOf(NoSong, false, true), StageState::NoSong);
    EXPECT_EQ(stageStateOf(Ready, false, true), StageState::Waiting);
    EXPECT_EQ(stageStateOf(QsWaiting, false, true), StageState::Waiting);
    EXPECT_EQ(stageStateOf(Ready, false, false), StageState::Stopped);
    EXPECT_EQ(stageStateOf(StandingBy, true, false), StageState::StandingBy);
    EXPECT_EQ(stageStateOf(StandbyDone, false, false), StageState::StandingBy);
    EXPECT_EQ(stageStateOf(Playing, true, false), StageState::Playing);
    EXPECT_EQ(stageStateOf(Lesson, true, false), StageState::Playing);
    EXPECT_EQ(stageStateOf(Lesson, false, true), StageState::Waiting);
    EXPECT_EQ(stageStateOf(LoadError, false, true), StageState::Stopped);
    EXPECT_EQ(stageStateText(StageState::StandingBy), QStringLiteral("スタンバイ中"));
    EXPECT_EQ(stageSongTitle(QStringLiteral("夜空の歌.MID")), QStringLiteral("夜空の歌"));
    EXPECT_EQ(stageSongTitle(QStringLiteral("Intro.kar")), QStringLiteral("Intro"));
    EXPECT_EQ(stageSongTitle(QStringLiteral("v1.2 Take")), QStringLiteral("v1.2 Take"));
    EXPECT_EQ(stageSongTitle(QStringLiteral(".mid")), QStringLiteral(".mid"));
}

TEST(StageContent, JsonCarriesEveryFieldWithLineFeeds)
{
    StageContent c;
    c.current = QStringLiteral("夜空の歌 \"live\"");
    c.next = QStringLiteral("朝の歌");
    c.medley = true;
    c.state = StageState::Playing;
    c.timeLeft = QStringLiteral("残り 12分30秒");
    c.songs = {{QStringLiteral("夜空の歌 \"live\""), true}, {QStringLiteral("朝の歌"), false}};
    c.index = 0;
    c.lyrics = QStringLiteral("一行目\r\n二行目</script>");
    const QJsonObject o = QJsonDocument::fromJson(c.toJson()).object();
    EXPECT_EQ(o.value(QStringLiteral("current")).toString(), c.current);
    EXPECT_EQ(o.value(QStringLiteral("next")).toString(), c.next);
    EXPECT_TRUE(o.value(QStringLiteral("medley")).toBool());
    EXPECT_EQ(o.value(QStringLiteral("state")).toString(), QStringLiteral("playing"));
    EXPECT_EQ(o.value(QStringLiteral("stateText")).toString(), QStringLiteral("再生中"));
    EXPECT_EQ(o.value(QStringLiteral("timeLeft")).toString(), c.timeLeft);
    EXPECT_EQ(o.value(QStringLiteral("songs")).toArray().size(), 2);
    EXPECT_EQ(o.value(QStringLiteral("index")).toInt(), 0);
    EXPECT_EQ(o.value(QStringLiteral("lyrics")).toString(), QStringLiteral("一行目\n二行目</script>"));
    EXPECT_EQ(o.value(QStringLiteral("nextLine")).toString(), QString());
}

TEST(QrCode, ModulesOnAWhiteQuietZoneAndNothingForTooMuchText)
{
    const QImage qr = qrCodeImage(QStringLiteral("http://192.168.1.5:8765/?k=abcdefghjkmn"), 3);
    ASSERT_FALSE(qr.isNull());
    EXPECT_EQ(qr.width(), qr.height());
    EXPECT_EQ(qr.width() % 3, 0);
    // The quiet zone is white; the finder pattern's corner just inside it is black.
    EXPECT_EQ(qr.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_EQ(qr.pixelColor(4 * 3 + 1, 4 * 3 + 1), QColor(Qt::black));
    EXPECT_TRUE(qrCodeImage(QString(5000, QLatin1Char('a')), 3).isNull());
}
