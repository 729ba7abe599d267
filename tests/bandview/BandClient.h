#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTcpSocket>
#include <QWebSocket>
#include <memory>

namespace kazoon::test {

// Runs the event loop until done() or the time limit; true when done.
template <typename F>
bool runUntil(F done, int limitMs = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Sends raw request bytes and returns everything the server answered up to
// its close (the server closes after every answer).
inline QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!runUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }))
        return {};
    socket.write(request);
    QByteArray answer;
    runUntil([&] {
        answer += socket.readAll();
        return socket.state() == QAbstractSocket::UnconnectedState;
    });
    return answer + socket.readAll();
}

inline QByteArray get(quint16 port, const QByteArray &target)
{
    return exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

inline QByteArray statusLine(const QByteArray &answer)
{
    return answer.left(answer.indexOf("\r\n"));
}

inline QByteArray body(const QByteArray &answer)
{
    const qsizetype at = answer.indexOf("\r\n\r\n");
    return at < 0 ? QByteArray() : answer.mid(at + 4);
}

// A band member's page: a WebSocket that keeps every message it gets.
struct PageClient {
    std::unique_ptr<QWebSocket> socket = std::make_unique<QWebSocket>();
    QStringList messages;
    bool closed = false;

    PageClient(const PageClient &) = delete;
    PageClient &operator=(const PageClient &) = delete;
    PageClient(quint16 port, const QString &code)
    {
        QObject::connect(socket.get(), &QWebSocket::textMessageReceived,
                         [this](const QString &m) { messages << m; });
        QObject::connect(socket.get(), &QWebSocket::disconnected, [this] { closed = true; });
        socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?k=%2").arg(port).arg(code)));
    }
    bool connected() const { return socket->state() == QAbstractSocket::ConnectedState; }
    QJsonObject last() const
    {
        return messages.isEmpty() ? QJsonObject()
                                  : QJsonDocument::fromJson(messages.last().toUtf8()).object();
    }
    // Waits for a message whose `key` reads `value`.
    bool waitFor(const char *key, const QString &value, int limitMs = 3000)
    {
        return runUntil([&] { return last().value(QLatin1String(key)).toString() == value; }, limitMs);
    }
};

} // namespace kazoon::test
