// The band view's page in a real browser: headless Chromium opens it and the
// test reads the page's text through the browser's DevTools protocol.
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "BandClient.h"
#include "app/MainWindow.h"
#include "bandview/BandView.h"
#include "support/TestApp.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

// A DevTools address's answer, read to its length: the browser keeps the
// connection open.
QByteArray fetch(quint16 port, const QByteArray &path)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!runUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }))
        return {};
    // The browser builds its WebSocket addresses from this host and port.
    socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n\r\n");
    QByteArray answer;
    runUntil([&] {
        answer += socket.readAll();
        const qsizetype end = answer.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        const qsizetype at = answer.toLower().indexOf("content-length:");
        const qsizetype length = at < 0 ? 0 : answer.mid(at + 15, answer.indexOf('\r', at) - at - 15).trimmed().toLongLong();
        return answer.size() >= end + 4 + length;
    });
    return body(answer);
}

const QString kChromium = QStringLiteral("/usr/bin/chromium");
const QString kCode = QStringLiteral("bandvwpage23");

// Headless Chromium on a page, killed with the test whatever happens.
struct Browser {
    // The whole test stays well under a minute, whatever the browser does.
    static constexpr int kBudgetMs = 40'000;
    QElapsedTimer clock;
    QTemporaryDir profile;
    QProcess process;
    QWebSocket devtools;
    QJsonObject reply;
    int nextId = 1;

    Browser() { clock.start(); }
    int within(int ms) const { return int(std::max<qint64>(0, std::min<qint64>(ms, kBudgetMs - clock.elapsed()))); }

    ~Browser()
    {
        devtools.abort();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    bool open(const QString &url)
    {
        // CI runs as root, where Chromium's sandbox cannot start.
        process.setProgram(kChromium);
        process.setArguments({QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
                              QStringLiteral("--disable-gpu"), QStringLiteral("--disable-dev-shm-usage"),
                              QStringLiteral("--no-first-run"), QStringLiteral("--no-default-browser-check"),
                              QStringLiteral("--disable-extensions"),
                              QStringLiteral("--disable-background-networking"),
                              QStringLiteral("--user-data-dir=") + profile.path(),
                              QStringLiteral("--remote-debugging-port=0"),
                              QStringLiteral("--remote-allow-origins=*"), url});
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start();
        if (!process.waitForStarted(within(10'000)))
            return false;
        // The browser writes the port it chose into its profile.
        const QString portFile = profile.filePath(QStringLiteral("DevToolsActivePort"));
        quint16 port = 0;
        if (!runUntil([&] {
                QFile f(portFile);
                if (f.open(QIODevice::ReadOnly))
                    port = quint16(f.readLine().trimmed().toUInt());
                return port != 0;
            }, within(20'000)))
            return false;
        // The page's own DevTools address.
        QString target;
        runUntil([&] {
            const QByteArray list = fetch(port, "/json/list");
            for (const QJsonValue &v : QJsonDocument::fromJson(list).array())
                if (v.toObject().value(QStringLiteral("type")) == QStringLiteral("page"))
                    target = v.toObject().value(QStringLiteral("webSocketDebuggerUrl")).toString();
            return !target.isEmpty();
        }, within(10'000));
        if (target.isEmpty())
            return false;
        QObject::connect(&devtools, &QWebSocket::textMessageReceived, [this](const QString &m) {
            reply = QJsonDocument::fromJson(m.toUtf8()).object();
        });
        devtools.open(QUrl(target));
        return runUntil([&] { return devtools.state() == QAbstractSocket::ConnectedState; }, within(10'000));
    }

    // The value of a script run in the page, as a string; null on no answer.
    QString evaluate(const QString &expression)
    {
        const int id = nextId++;
        reply = {};
        const QJsonObject call{{QStringLiteral("id"), id},
                               {QStringLiteral("method"), QStringLiteral("Runtime.evaluate")},
                               {QStringLiteral("params"), QJsonObject{{QStringLiteral("expression"), expression},
                                                                      {QStringLiteral("returnByValue"), true}}}};
        devtools.sendTextMessage(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
        if (!runUntil([&] { return reply.value(QStringLiteral("id")).toInt() == id; }, within(5'000)))
            return {};
        return reply.value(QStringLiteral("result")).toObject().value(QStringLiteral("result")).toObject()
            .value(QStringLiteral("value")).toString();
    }

    // Waits until the element's text reads `text`.
    bool shows(const char *id, const QString &text)
    {
        const QString script = QStringLiteral("(document.getElementById('%1')||{}).textContent||''")
                                   .arg(QLatin1String(id));
        QString last;
        const bool ok = runUntil([&] { return (last = evaluate(script)) == text; }, within(5'000));
        if (!ok)
            ADD_FAILURE() << id << " shows \"" << last.toStdString() << "\", not \"" << text.toStdString()
                          << "\"; the page reads: "
                          << evaluate(QStringLiteral("location.href + ' | ' + document.body.innerText")).toStdString()
                          << " " << QJsonDocument(reply).toJson().toStdString();
        return ok;
    }
};

} // namespace

TEST(BandViewBrowser, ThePageInChromiumFollowsTheShow)
{
    if (!QFileInfo(kChromium).isExecutable())
        GTEST_SKIP() << "Chromium is not installed (" << kChromium.toStdString()
                     << "); scripts/setup.sh installs it";
    TestApp app;
    app.makeFile(QStringLiteral("Alpha.txt"), "1\r\nはじめの歌詞\r\n9\r\nサビの歌詞\r\n");
    app.writeSettings(QStringLiteral("[Words]\r\nSet=1\r\nInd_Option=1\r\n"));
    TfrmMain *w = app.openList({QStringLiteral("Alpha.mid"), QStringLiteral("Bravo.mid"),
                                QStringLiteral("Charlie.mid")});
    BandView &view = w->bandView();
    view.setListenAddress(QHostAddress::LocalHost);
    ASSERT_TRUE(view.apply({true, 0, kCode}).isEmpty());

    Browser browser;
    ASSERT_TRUE(browser.open(QStringLiteral("http://127.0.0.1:%1/?k=%2").arg(view.server().port()).arg(kCode)))
        << "Chromium did not open the page";
    ASSERT_TRUE(browser.shows("current", QStringLiteral("Alpha")));
    EXPECT_TRUE(browser.shows("next", QStringLiteral("Bravo")));
    EXPECT_TRUE(browser.shows("state", QStringLiteral("待機中")));

    // The program moves on: a song plays into its chorus.
    w->ButtonPlayClick();
    app.device.advance(9);
    w->PlayTimerTimer();
    EXPECT_TRUE(browser.shows("lyrics", QStringLiteral("サビの歌詞")));
    EXPECT_TRUE(browser.shows("state", QStringLiteral("再生中")));

    // Stopped, and on to the next song.
    QTest::keyClick(w, Qt::Key_Escape);
    QTest::keyClick(w, Qt::Key_Down);
    EXPECT_TRUE(browser.shows("current", QStringLiteral("Bravo")));
    EXPECT_TRUE(browser.shows("next", QStringLiteral("Charlie")));
    const QString text = browser.evaluate(QStringLiteral("document.body.innerText"));
    EXPECT_TRUE(text.contains(QStringLiteral("Charlie"))) << text.toStdString();

    // The program's view goes away: the page says it is reconnecting.
    view.apply({false, 0, kCode});
    EXPECT_TRUE(browser.shows("conn", QStringLiteral("再接続中…")));
}
