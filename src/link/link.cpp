#include "link/link.h"

#include <QTcpSocket>

Link::Link(QObject *parent) : QObject(parent), m_socket(new QTcpSocket(this)) {
    // A logger that sends faster than the window shows is slowed by TCP
    // instead of filling memory.
    m_socket->setReadBufferSize(kReadBufferBytes);
    connect(m_socket, &QTcpSocket::readyRead, this, &Link::readyRead);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        // Frames are a few bytes each and the operator waits on them: no Nagle delay.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        Q_EMIT connected();
    });
    connect(m_socket, &QTcpSocket::stateChanged, this, [this](QAbstractSocket::SocketState s) {
        if (s == QAbstractSocket::UnconnectedState) {
            Q_EMIT closed();
        }
    });
}

Link::~Link() {
    m_socket->abort();
}

bool Link::isConnected() const {
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

bool Link::isStale() const {
    return m_socket->state() != QAbstractSocket::ConnectedState &&
           m_socket->state() != QAbstractSocket::UnconnectedState;
}

QAbstractSocket::SocketState Link::state() const {
    return m_socket->state();
}

void Link::connectTo(const QString &host, quint16 port) {
    keepWhatArrived();
    m_socket->connectToHost(host, port);
}

bool Link::send(const QByteArray &frame) {
    if (!isConnected()) {
        return false;
    }
    if (m_socket->write(frame) != frame.size()) {
        return false;
    }
    m_socket->flush();
    return true;
}

void Link::close() {
    if (m_socket->state() == QAbstractSocket::ConnectedState) {
        m_socket->flush();
    }
    keepWhatArrived();
    m_socket->abort();
    if (m_heldAt < m_held.size()) {
        Q_EMIT readyRead();
    }
}

void Link::keepWhatArrived() {
    if (m_socket->isOpen() && m_socket->bytesAvailable() > 0) {
        if (m_heldAt == m_held.size()) {
            m_held.clear();
            m_heldAt = 0;
        }
        m_held.append(m_socket->readAll());
    }
}

bool Link::hasData() const {
    return m_heldAt < m_held.size() || m_socket->bytesAvailable() > 0;
}

QByteArray Link::read(qint64 maxSize) {
    if (m_heldAt < m_held.size()) {
        QByteArray slice = m_held.mid(m_heldAt, maxSize);
        m_heldAt += slice.size();
        if (m_heldAt == m_held.size()) {
            m_held.clear();
            m_heldAt = 0;
        }
        return slice;
    }
    return m_socket->isOpen() ? m_socket->read(maxSize) : QByteArray();
}
