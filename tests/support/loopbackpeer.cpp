#include "support/loopbackpeer.h"

#include "link/link.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <utility>

bool waitUntil(const std::function<bool()> &done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

LoopbackPeer::LoopbackPeer() {
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            m_client = socket;
            m_clientClosed = false;
            connect(socket, &QTcpSocket::readyRead, this,
                    [this, socket] { m_received += socket->readAll(); });
            connect(socket, &QTcpSocket::disconnected, this, [this] { m_clientClosed = true; });
        }
    });
}

bool LoopbackPeer::waitForClient(int ms) {
    return waitUntil([this] { return hasClient(); }, ms);
}

bool LoopbackPeer::waitForBytes(qsizetype size, int ms) {
    return waitUntil([this, size] { return m_received.size() >= size; }, ms);
}

bool LoopbackPeer::waitForClose(int ms) {
    return waitUntil([this] { return m_clientClosed; }, ms);
}

void LoopbackPeer::send(const QByteArray &bytes) {
    if (m_client) {
        m_client->write(bytes);
        m_client->flush();
    }
}

void LoopbackPeer::dropClient() {
    if (m_client) {
        m_client->disconnectFromHost();
    }
}

QByteArray LoopbackPeer::takeReceived(Link &link) {
    static const QByteArray marker("\x01end of what was sent\x01");
    const qsizetype size = m_received.size();
    if (!link.send(marker) || !waitForBytes(size + marker.size())) {
        return "<no marker: link down> " + std::exchange(m_received, {});
    }
    QByteArray got = std::exchange(m_received, {});
    got.chop(marker.size());
    return got;
}
