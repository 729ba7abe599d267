#include "bandview/BandServer.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QTcpSocket>
#include <QWebSocket>

#include "bandview/BandViewSettings.h"
#include "bandview/HttpRequest.h"

// Resources of a static library are registered by hand.
static void initBandViewResources() { Q_INIT_RESOURCE(bandview); }

namespace kazoon {

namespace {

const char *const kAnswered = "kazoonAnswered";

// The sha256 source of the first element `tag` of the page, for its policy.
QByteArray inlineHash(const QByteArray &page, const QByteArray &tag)
{
    const QByteArray open = '<' + tag + '>', close = "</" + tag + '>';
    const qsizetype from = page.indexOf(open);
    const qsizetype to = page.indexOf(close, from);
    if (from < 0 || to < 0)
        return {};
    const QByteArray body = page.mid(from + open.size(), to - from - open.size());
    return "'sha256-" + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toBase64() + '\'';
}

QByteArray response(const char *status, const QByteArray &extraHeaders = {},
                    const QByteArray &body = {}, bool withBody = true)
{
    QByteArray r = QByteArray("HTTP/1.1 ") + status + "\r\n";
    r += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    // The same guards on every answer: nothing here may be framed, sniffed,
    // cached or told where it came from.
    r += "X-Frame-Options: DENY\r\n"
         "X-Content-Type-Options: nosniff\r\n"
         "Referrer-Policy: no-referrer\r\n"
         "Cache-Control: no-store\r\n"
         "Connection: close\r\n";
    if (extraHeaders.isEmpty())
        r += "Content-Security-Policy: default-src 'none'; frame-ancestors 'none'\r\n";
    r += extraHeaders + "\r\n";
    if (withBody)
        r += body;
    return r;
}


} // namespace

BandServer::BandServer(QObject *parent)
    : QObject(parent),
      webSockets_(QStringLiteral("Kazoon"), QWebSocketServer::NonSecureMode)
{
    initBandViewResources();
    QFile file(QStringLiteral(":/bandview/page.html"));
    if (file.open(QIODevice::ReadOnly))
        page_ = file.readAll();
    connect(&tcp_, &QTcpServer::newConnection, this, &BandServer::acceptConnections);
    connect(&webSockets_, &QWebSocketServer::newConnection, this, &BandServer::takeWebSocket);
    // Connections that never finish their request give their place back.
    sweep_.setInterval(250);
    connect(&sweep_, &QTimer::timeout, this, [this] {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const auto pending = pending_;
        for (auto it = pending.begin(); it != pending.end(); ++it)
            if (now - it.value() > requestTimeoutMs_)
                it.key()->abort();
    });
}

BandServer::~BandServer()
{
    close();
    // Connections turned away die with the listening server, after this
    // object's members: nothing of theirs may call back here.
    for (QTcpSocket *socket : tcp_.findChildren<QTcpSocket *>())
        disconnect(socket, nullptr, this, nullptr);
}

QString BandServer::listen(int port, const QHostAddress &address)
{
    close();
    if (port < 0 || port > 65535)
        return QStringLiteral("ポート番号 %1 は使えません。").arg(port);
    if (tcp_.listen(address, quint16(port))) {
        sweep_.start();
        return {};
    }
    const QString reason =
        tcp_.serverError() == QAbstractSocket::AddressInUseError
            ? QStringLiteral("ポート %1 は他のプログラムが使っています。別のポート番号にしてください。")
                  .arg(port)
        : tcp_.serverError() == QAbstractSocket::SocketAccessError
            ? QStringLiteral("ポート %1 を使う許可がありません。1024 以上の番号にしてください。").arg(port)
            : QStringLiteral("ポート %1 で待ち受けられません（%2）。").arg(port).arg(tcp_.errorString());
    return reason;
}

void BandServer::close()
{
    sweep_.stop();
    tcp_.close();
    closeConnections();
}

void BandServer::closeConnections()
{
    for (QWebSocket *client : std::as_const(clients_)) {
        disconnect(client, nullptr, this, nullptr);
        client->abort();
        client->deleteLater();
    }
    clients_.clear();
    const auto open = open_;
    for (QTcpSocket *socket : open) {
        disconnect(socket, nullptr, this, nullptr);
        socket->abort();
        if (pending_.contains(socket))
            socket->deleteLater();
    }
    open_.clear();
    pending_.clear();
}

void BandServer::setCode(const QString &code)
{
    const QByteArray next = code.toUtf8();
    if (next == code_)
        return;
    code_ = next;
    // The old address stops working at once, for pages already open too.
    closeConnections();
}

void BandServer::acceptConnections()
{
    while (QTcpSocket *socket = tcp_.nextPendingConnection()) {
        if (open_.size() >= kMaxConnections) {
            refuse(socket);
            continue;
        }
        open_.insert(socket);
        pending_.insert(socket, QDateTime::currentMSecsSinceEpoch());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
        connect(socket, &QObject::destroyed, this, [this, socket] {
            open_.remove(socket);
            pending_.remove(socket);
        });
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void BandServer::refuse(QTcpSocket *socket)
{
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    // Too many waiting to be told: the rest are cut off at once.
    if (refusing_ >= kMaxConnections) {
        socket->abort();
        return;
    }
    ++refusing_;
    connect(socket, &QObject::destroyed, this, [this] { --refusing_; });
    // The answer goes out once the request is in: closing on a request not
    // yet read would reset the connection and lose the answer.
    const auto answer = [socket] {
        socket->skip(socket->bytesAvailable());
        if (socket->property(kAnswered).toBool())
            return;
        socket->setProperty(kAnswered, true);
        socket->write(response("503 Service Unavailable"));
        socket->disconnectFromHost();
    };
    connect(socket, &QTcpSocket::readyRead, socket, answer);
    QTimer::singleShot(2000, socket, [socket] { socket->abort(); });
}

void BandServer::forget(QTcpSocket *socket)
{
    open_.remove(socket);
    if (pending_.remove(socket))
        socket->deleteLater();
}

void BandServer::readRequest(QTcpSocket *socket)
{
    if (socket->property(kAnswered).toBool()) {
        socket->skip(socket->bytesAvailable());
        return;
    }
    const auto answer = [socket](const QByteArray &bytes) {
        socket->setProperty(kAnswered, true);
        socket->write(bytes);
        socket->disconnectFromHost();
    };
    const QByteArray seen = socket->peek(kMaxRequestBytes + 1);
    const qsizetype end = seen.indexOf("\r\n\r\n");
    if (end < 0) {
        if (seen.size() > kMaxRequestBytes)
            answer(response("431 Request Header Fields Too Large"));
        return; // the rest of the request is on its way
    }
    const HttpRequest request = parseHttpRequest(seen.left(end), kMaxRequestBytes + 1);
    if (!request.valid) {
        answer(response("400 Bad Request"));
        return;
    }
    if (end + 4 + request.bodyBytes > kMaxRequestBytes || request.bodyBytes < 0) {
        answer(response("413 Content Too Large"));
        return;
    }
    if (!sameCode(request.code, code_)) {
        answer(response("403 Forbidden"));
        return;
    }
    const bool head = request.method == "HEAD";
    if (request.method != "GET" && !head) {
        answer(response("405 Method Not Allowed"));
        return;
    }
    if (request.path == "/ws" && request.upgrade && !head) {
        // The request stays unread in the socket for the WebSocket
        // handshake; from here the socket belongs to the page's WebSocket.
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        pending_.remove(socket);
        // A small send buffer in the system, so that a page that stops
        // reading shows as bytes waiting here soon.
        socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 64 * 1024);
        webSockets_.handleConnection(socket);
        return;
    }
    if (request.path != "/" || page_.isEmpty()) {
        answer(response("404 Not Found"));
        return;
    }
    QByteArray connectSource = "'self'";
    if (saneHost(request.host))
        connectSource += " ws://" + request.host;
    const QByteArray headers =
        "Content-Type: text/html; charset=utf-8\r\n"
        "Content-Security-Policy: default-src 'none'; script-src " + inlineHash(page_, "script") +
        "; style-src " + inlineHash(page_, "style") + "; connect-src " + connectSource +
        "; base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n";
    answer(response("200 OK", headers, page_, !head));
}

void BandServer::takeWebSocket()
{
    while (QWebSocket *client = webSockets_.nextPendingConnection()) {
        client->setParent(this);
        // The page only listens: anything it sends is ignored, and kept small.
        client->setMaxAllowedIncomingFrameSize(1024);
        client->setMaxAllowedIncomingMessageSize(1024);
        clients_.insert(client);
        connect(client, &QWebSocket::disconnected, this, [this, client] {
            clients_.remove(client);
            client->deleteLater();
        });
        if (!message_.isEmpty())
            send(client, message_);
    }
}

void BandServer::publish(const QByteArray &message)
{
    message_ = QString::fromUtf8(message);
    const auto clients = clients_;
    for (QWebSocket *client : clients)
        send(client, message_);
}

void BandServer::send(QWebSocket *client, const QString &message)
{
    // A page that has not taken what it was sent is behind for good (a phone
    // gone to sleep, a lost network): it goes, and reconnects when it can.
    if (client->bytesToWrite() > kMaxPendingBytes) {
        clients_.remove(client);
        disconnect(client, nullptr, this, nullptr);
        client->abort();
        client->deleteLater();
        emit pageDropped();
        return;
    }
    client->sendTextMessage(message);
}

} // namespace kazoon
