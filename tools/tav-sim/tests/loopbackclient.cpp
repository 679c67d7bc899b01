#include "loopbackclient.h"

#include "waituntil.h"

#include <QHostAddress>

LoopbackClient::LoopbackClient() {
    connect(&m_socket, &QTcpSocket::connected, this, [this] { m_wasConnected = true; });
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] {
        while (m_socket.bytesAvailable() > 0) {
            const QByteArray bytes = m_socket.readAll();
            m_arrivals.append(bytes);
            m_received += bytes;
        }
    });
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] { m_closed = true; });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (m_socket.state() == QAbstractSocket::UnconnectedState) {
            m_closed = true;
        }
    });
}

void LoopbackClient::connectTo(quint16 port) {
    clear();
    m_wasConnected = false;
    m_closed = false;
    m_socket.abort();
    m_socket.connectToHost(QHostAddress::LocalHost, port);
}

bool LoopbackClient::waitConnected(int timeoutMs) {
    return waitUntil([this] { return m_wasConnected; }, timeoutMs);
}

bool LoopbackClient::waitFor(const QByteArray &text, int timeoutMs) {
    return waitUntil([&] { return m_received.contains(text); }, timeoutMs);
}

bool LoopbackClient::waitClosed(int timeoutMs) {
    return waitUntil([this] { return m_closed; }, timeoutMs);
}

void LoopbackClient::send(const QByteArray &frame) {
    m_socket.write(frame);
    m_socket.flush();
}

void LoopbackClient::clear() {
    m_received.clear();
    m_arrivals.clear();
}
