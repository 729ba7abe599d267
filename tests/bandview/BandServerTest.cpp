#include <QElapsedTimer>
#include <QSignalSpy>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "BandClient.h"
#include "bandview/BandServer.h"
#include "bandview/BandViewSettings.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

const QString kCode = QStringLiteral("abcdefghjkmn");

struct Served {
    BandServer server;
    quint16 port = 0;
    Served()
    {
        server.setCode(kCode);
        const QString reason = server.listen(0, QHostAddress::LocalHost);
        EXPECT_TRUE(reason.isEmpty()) << reason.toStdString();
        port = server.port();
    }
};

bool hasHeader(const QByteArray &answer, const QByteArray &header)
{
    return answer.left(answer.indexOf("\r\n\r\n")).contains("\r\n" + header);
}

} // namespace

TEST(BandServer, ThePageNeedsTheCodeAndNothingElseIsServed)
{
    Served s;
    const QByteArray page = get(s.port, "/?k=" + kCode.toUtf8());
    EXPECT_EQ(statusLine(page), "HTTP/1.1 200 OK");
    EXPECT_TRUE(body(page).contains("<html lang=\"ja\">"));
    for (const QByteArray &header :
         {QByteArray("X-Frame-Options: DENY"), QByteArray("Referrer-Policy: no-referrer"),
          QByteArray("X-Content-Type-Options: nosniff"), QByteArray("Content-Type: text/html; charset=utf-8"),
          QByteArray("Content-Security-Policy: default-src 'none'; script-src 'sha256-")})
        EXPECT_TRUE(hasHeader(page, header)) << header.constData();
    EXPECT_TRUE(page.contains("frame-ancestors 'none'"));

    const struct {
        const char *what;
        QByteArray target;
    } refused[] = {
        {"no code", "/"},
        {"an empty code", "/?k="},
        {"a wrong code", "/?k=abcdefghjkmp"},
        {"the code with one more character", "/?k=" + kCode.toUtf8() + "a"},
        {"the code cut short", "/?k=" + kCode.left(11).toUtf8()},
        {"a file of the computer", "/etc/passwd"},
        {"the WebSocket without the code", "/ws"},
    };
    for (const auto &r : refused) {
        SCOPED_TRACE(r.what);
        const QByteArray answer = get(s.port, r.target);
        EXPECT_EQ(statusLine(answer), "HTTP/1.1 403 Forbidden");
        EXPECT_TRUE(body(answer).isEmpty());
    }
    // With the code, still only the one page.
    for (const QByteArray &target : {QByteArray("/../../etc/passwd?k="), QByteArray("/index.html?k="),
                                    QByteArray("/%2e%2e/etc/passwd?k=")}) {
        const QByteArray answer = get(s.port, target + kCode.toUtf8());
        EXPECT_EQ(statusLine(answer), "HTTP/1.1 404 Not Found") << target.constData();
        EXPECT_TRUE(body(answer).isEmpty());
    }
    EXPECT_EQ(statusLine(exchange(s.port, "POST /?k=" + kCode.toUtf8() +
                                              " HTTP/1.1\r\nContent-Length: 2\r\n\r\nhi")),
              "HTTP/1.1 405 Method Not Allowed");
    EXPECT_EQ(statusLine(exchange(s.port, "nonsense\r\n\r\n")), "HTTP/1.1 400 Bad Request");
}

TEST(BandServer, RequestsOverEightKilobytesAreRefused)
{
    Served s;
    const QByteArray code = kCode.toUtf8();
    // Headers that never end, and a body that would.
    const QByteArray longHeaders =
        "GET /?k=" + code + " HTTP/1.1\r\nX-Pad: " + QByteArray(9000, 'a') + "\r\n\r\n";
    EXPECT_EQ(statusLine(exchange(s.port, longHeaders)), "HTTP/1.1 431 Request Header Fields Too Large");
    const QByteArray bigBody = "GET /?k=" + code + " HTTP/1.1\r\nContent-Length: 9000\r\n\r\n";
    EXPECT_EQ(statusLine(exchange(s.port, bigBody + QByteArray(9000, 'b'))), "HTTP/1.1 413 Content Too Large");
    // Just under the limit is an ordinary request.
    const QByteArray fits = "GET /?k=" + code + " HTTP/1.1\r\nX-Pad: " + QByteArray(7000, 'a') + "\r\n\r\n";
    EXPECT_EQ(statusLine(exchange(s.port, fits)), "HTTP/1.1 200 OK");
    EXPECT_TRUE(runUntil([&] { return s.server.connectionCount() == 0; }));
}

TEST(BandServer, PagesGetTheContentAtOnceAndEveryChange)
{
    Served s;
    s.server.publish(R"({"current":"A"})");
    PageClient first(s.port, kCode);
    ASSERT_TRUE(first.waitFor("current", QStringLiteral("A")));
    s.server.publish(R"({"current":"B"})");
    PageClient second(s.port, kCode);
    ASSERT_TRUE(second.waitFor("current", QStringLiteral("B")));
    EXPECT_TRUE(first.waitFor("current", QStringLiteral("B")));
    EXPECT_EQ(s.server.pageCount(), 2);

    // Whatever a page sends acts on nothing and is not answered.
    first.socket->sendTextMessage(QStringLiteral("{\"command\":\"play\"}"));
    QCoreApplication::processEvents();
    EXPECT_EQ(first.messages.size(), 2);

    PageClient wrong(s.port, QStringLiteral("abcdefghjkmp"));
    EXPECT_TRUE(runUntil([&] { return wrong.closed; }));
    EXPECT_TRUE(wrong.messages.isEmpty());

    // A new code closes the pages opened with the old one.
    s.server.setCode(QStringLiteral("zzzzzzzzzzzz"));
    EXPECT_TRUE(runUntil([&] { return first.closed && second.closed; }));
    EXPECT_EQ(s.server.pageCount(), 0);
    EXPECT_EQ(statusLine(get(s.port, "/?k=" + kCode.toUtf8())), "HTTP/1.1 403 Forbidden");
    EXPECT_EQ(statusLine(get(s.port, "/?k=zzzzzzzzzzzz")), "HTTP/1.1 200 OK");
}

TEST(BandServer, AtMostThirtyTwoConnections)
{
    Served s;
    s.server.publish(R"({"current":"A"})");
    std::vector<std::unique_ptr<PageClient>> pages;
    for (int i = 0; i < BandServer::kMaxConnections; ++i)
        pages.push_back(std::make_unique<PageClient>(s.port, kCode));
    ASSERT_TRUE(runUntil([&] {
        return std::all_of(pages.begin(), pages.end(), [](const auto &p) { return !p->messages.isEmpty(); });
    }));
    EXPECT_EQ(s.server.connectionCount(), 32);

    PageClient extra(s.port, kCode);
    EXPECT_TRUE(runUntil([&] { return extra.closed; }));
    EXPECT_TRUE(extra.messages.isEmpty());
    EXPECT_EQ(statusLine(get(s.port, "/?k=" + kCode.toUtf8())), "HTTP/1.1 503 Service Unavailable");

    // One leaves, one more may come.
    pages.front()->socket->close();
    pages.erase(pages.begin());
    ASSERT_TRUE(runUntil([&] { return s.server.connectionCount() == 31; }));
    PageClient late(s.port, kCode);
    EXPECT_TRUE(late.waitFor("current", QStringLiteral("A")));
}

TEST(BandServer, APageThatNeverReadsIsDroppedWithoutHoldingUpTheSender)
{
    Served s;
    QSignalSpy dropped(&s.server, &BandServer::pageDropped);
    // A client that makes its WebSocket handshake by hand and then reads nothing.
    const int raw = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(raw, 0);
    const int small = 4096;
    ::setsockopt(raw, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(s.port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(raw, reinterpret_cast<sockaddr *>(&to), sizeof to), 0);
    const QByteArray handshake = "GET /ws?k=" + kCode.toUtf8() +
                                 " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                                 "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                 "Sec-WebSocket-Version: 13\r\n\r\n";
    ASSERT_EQ(::send(raw, handshake.constData(), size_t(handshake.size()), 0), handshake.size());
    ASSERT_TRUE(runUntil([&] { return s.server.pageCount() == 1; }));
    PageClient reader(s.port, kCode);
    ASSERT_TRUE(runUntil([&] { return reader.connected(); }));

    // Pages of lyrics, each new, far more than the stuck client can hold.
    qint64 slowest = 0;
    QElapsedTimer t;
    for (int i = 0; i < 200 && dropped.isEmpty(); ++i) {
        const QByteArray message = R"({"current":")" + QByteArray::number(i) + R"(","lyrics":")" +
                                   QByteArray(20'000, char('a' + i % 26)) + "\"}";
        t.start();
        s.server.publish(message);
        slowest = std::max(slowest, t.elapsed());
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_EQ(dropped.size(), 1);
    EXPECT_LT(slowest, 100) << "a publish waited for the network";
    EXPECT_EQ(s.server.pageCount(), 1) << "the reading page stays";
    s.server.publish(R"({"current":"last"})");
    EXPECT_TRUE(reader.waitFor("current", QStringLiteral("last"), 10'000));
    ::close(raw);
}

TEST(BandServer, PortInUseIsToldInWords)
{
    Served s;
    BandServer other;
    const QString reason = other.listen(s.port, QHostAddress::LocalHost);
    EXPECT_EQ(reason, QStringLiteral("ポート %1 は他のプログラムが使っています。別のポート番号にしてください。")
                          .arg(s.port));
    EXPECT_FALSE(other.isListening());
}

TEST(BandServer, RequestThatNeverEndsGivesItsPlaceBack)
{
    Served s;
    s.server.setRequestTimeout(500);
    QTcpSocket idle;
    idle.connectToHost(QStringLiteral("127.0.0.1"), s.port);
    ASSERT_TRUE(runUntil([&] { return s.server.connectionCount() == 1; }));
    idle.write("GET /?k=");
    EXPECT_TRUE(runUntil([&] { return s.server.connectionCount() == 0; }, 5000));
}
