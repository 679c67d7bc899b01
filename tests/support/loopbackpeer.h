#pragma once

#include <QByteArray>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

class Link;

// A logger stand-in on 127.0.0.1 and a free port: records what the console
// sends and sends what a test tells it to.
class LoopbackPeer final : public QObject {
public:
    LoopbackPeer();
    quint16 port() const { return m_server.serverPort(); }
    // Waits (handling events) until the console's connection is accepted.
    bool waitForClient(int ms = 3000);
    // Waits until at least `size` bytes have arrived in total.
    bool waitForBytes(qsizetype size, int ms = 3000);
    // Waits until the console has closed its side.
    bool waitForClose(int ms = 3000);
    QByteArray received() const { return m_received; }
    // Everything received up to a marker the link sends now, so nothing still in flight is
    // missed, and no fixed wait is needed; what was received is cleared.
    QByteArray takeReceived(Link &link);
    void clearReceived() { m_received.clear(); }
    void send(const QByteArray &bytes);
    // Bytes written but not yet taken by the socket.
    qint64 unsent() const { return m_client ? m_client->bytesToWrite() : 0; }
    void dropClient();
    bool hasClient() const {
        return m_client && m_client->state() == QAbstractSocket::ConnectedState;
    }

private:
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_received;
    bool m_clientClosed = false;
};

// Runs events until `done` holds or `ms` pass.
bool waitUntil(const std::function<bool()> &done, int ms = 3000);
