#include "link/link.h"

#include <QTcpSocket>

#include <algorithm>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <sys/ioctl.h>
#endif

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

qint64 Link::read(char *into, qint64 maxSize) {
    if (m_heldAt < m_held.size()) {
        const qint64 size = std::min<qint64>(maxSize, m_held.size() - m_heldAt);
        std::memcpy(into, m_held.constData() + m_heldAt, static_cast<std::size_t>(size));
        m_heldAt += size;
        if (m_heldAt == m_held.size()) {
            m_held.clear();
            m_heldAt = 0;
        }
        return size;
    }
    return m_socket->isOpen() ? std::max<qint64>(m_socket->read(into, maxSize), 0) : 0;
}

bool Link::moreOnTheWay() const {
#if defined(Q_OS_UNIX)
    const qintptr handle = m_socket->socketDescriptor();
    int waiting = 0;
    return handle >= 0 && ::ioctl(static_cast<int>(handle), FIONREAD, &waiting) == 0 && waiting > 0;
#else
    return false;
#endif
}
