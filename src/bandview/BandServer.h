#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <QWebSocketServer>

class QTcpSocket;
class QWebSocket;

namespace kazoon {

// The band view's web server: the one built-in page and a WebSocket that
// pushes the show's content to it. It runs on the UI thread and never waits
// for the network: writes go to the sockets' buffers, and a page that does
// not keep up is dropped rather than waited for. Nothing it receives acts on
// the show.
class BandServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxConnections = 32;
    static constexpr qint64 kMaxRequestBytes = 8 * 1024;
    // Bytes waiting for a page before it counts as stuck.
    static constexpr qint64 kMaxPendingBytes = 256 * 1024;
    static constexpr int kRequestTimeoutMs = 10'000;

    explicit BandServer(QObject *parent = nullptr);
    ~BandServer() override;

    // Listens at `port` (0: any free port); an empty text, or why not in
    // words for the performer.
    QString listen(int port, const QHostAddress &address = QHostAddress::Any);
    // Stops listening and closes every connection.
    void close();
    bool isListening() const { return tcp_.isListening(); }
    quint16 port() const { return tcp_.serverPort(); }

    // A new code closes every connection made with the old one.
    void setCode(const QString &code);
    // What every page shows from now on: sent to the open pages at once and
    // to every page that connects later.
    void publish(const QByteArray &message);

    // How long a connection may take to send its request (tests shorten it).
    void setRequestTimeout(int ms) { requestTimeoutMs_ = ms; }

    int connectionCount() const { return int(open_.size()); }
    int pageCount() const { return int(clients_.size()); }

signals:
    // A page did not take its messages and was dropped.
    void pageDropped();

private:
    void acceptConnections();
    void readRequest(QTcpSocket *socket);
    void takeWebSocket();
    void send(QWebSocket *client, const QString &message);
    void forget(QTcpSocket *socket);
    // Turns away a connection over the limit.
    void refuse(QTcpSocket *socket);
    void closeConnections();

    QTcpServer tcp_;
    QWebSocketServer webSockets_;
    QByteArray code_;
    QByteArray page_;
    QString message_;
    QSet<QTcpSocket *> open_;            // every connection, pages included
    QHash<QTcpSocket *, qint64> pending_; // plain HTTP connections and when they came
    QSet<QWebSocket *> clients_;
    QTimer sweep_;
    int requestTimeoutMs_ = kRequestTimeoutMs;
    int refusing_ = 0;
};

} // namespace kazoon
