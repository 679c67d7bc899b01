#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpSocket>

// A console stand-in for the tests: connects to a simulated logger, sends frames and keeps
// every byte and every arrival it receives, and whether the logger closed the link.
class LoopbackClient final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoopbackClient)

public:
    LoopbackClient();

    void connectTo(quint16 port);
    bool waitConnected(int timeoutMs = 3000);
    // Waits until the received bytes contain text.
    bool waitFor(const QByteArray &text, int timeoutMs = 3000);
    bool waitClosed(int timeoutMs = 3000);
    void send(const QByteArray &frame);

    QTcpSocket &socket() { return m_socket; }
    const QByteArray &received() const { return m_received; }
    const QList<QByteArray> &arrivals() const { return m_arrivals; }
    bool wasConnected() const { return m_wasConnected; }
    bool isClosed() const { return m_closed; }
    void clear();

private:
    QTcpSocket m_socket;
    QByteArray m_received;
    QList<QByteArray> m_arrivals;
    bool m_wasConnected = false;
    bool m_closed = false;
};
