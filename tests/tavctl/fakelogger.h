#pragma once

#include <QByteArray>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>

// A logger on 127.0.0.1 and a free port that keeps every byte it receives, across
// connections. Answering, it greets, acknowledges each frame with one operation line (or
// the answer a test gave for its code), and closes after the goodbye or a restart command,
// as a logger does. Mute, it answers nothing and never closes.
class FakeLogger final : public QObject {
public:
    enum class Mode { Answering, Mute };
    explicit FakeLogger(Mode mode = Mode::Answering);

    quint16 port() const { return m_server.serverPort(); }
    const QByteArray &received() const { return m_received; }
    // Connections made to it, also those not accepted yet.
    int connections();
    bool linkOpen() const {
        return m_client && m_client->state() == QAbstractSocket::ConnectedState;
    }
    // The answer to a frame, by its two-digit code.
    std::map<QByteArray, QByteArray> answers;

private:
    void take(QTcpSocket *socket);

    Mode m_mode;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_received;
    int m_accepted = 0;
};
