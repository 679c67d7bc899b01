#include "tavctl/fakelogger.h"

FakeLogger::FakeLogger(Mode mode) : m_mode(mode) {
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++m_accepted;
            m_client = socket;
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { take(socket); });
        }
    });
}

int FakeLogger::connections() {
    // A connection the kernel completed but the event loop has not handed over yet.
    return m_accepted + (m_server.waitForNewConnection(0) ? 1 : 0);
}

void FakeLogger::take(QTcpSocket *socket) {
    const QByteArray bytes = socket->readAll();
    m_received += bytes;
    if (m_mode == Mode::Mute || !bytes.startsWith("TAV@")) {
        return;
    }
    const QByteArray code = bytes.mid(4, 2);
    const auto answer = answers.find(code);
    if (answer != answers.end()) {
        socket->write(answer->second);
    } else if (code == "01") {
        socket->write("{Welcome}\r\n");
    } else {
        socket->write("{ack " + bytes.left(6) + "}\r\n");
    }
    if (code == "02" || code == "05" || code == "11" || code == "31") {
        socket->disconnectFromHost();
    }
}
