#include "loggerendpoint.h"

#include "displaytext.h"
#include "loggersession.h"

#include <QDateTime>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <cmath>
#include <utility>

namespace {
constexpr int kPlugWaitMs = 2000;
}

LoggerEndpoint::LoggerEndpoint(QByteArray name, int serial, quint16 port, const SimOptions &options,
                               LogSink sink, QObject *parent)
    : QObject(parent), m_options(options), m_log(std::move(sink)),
      m_model(std::move(name), serial, QDateTime::currentDateTimeUtc()), m_wantedPort(port) {
    connect(&m_server, &QTcpServer::newConnection, this, &LoggerEndpoint::acceptConnections);
}

LoggerEndpoint::~LoggerEndpoint() {
    stop();
}

bool LoggerEndpoint::listen(QString *error) {
    if (m_options.deadPort) {
        // The kernel completes handshakes for a listening socket by itself, up to its
        // accept queue. A queue of one, taken by our own plug connection and never
        // accepted, makes it drop every further SYN: connection attempts hang, as they
        // do for a logger out of reach.
        m_server.setListenBacklogSize(0);
    }
    if (!m_server.listen(QHostAddress::LocalHost, m_wantedPort)) {
        if (error) {
            *error = QStringLiteral("%1: cannot listen on 127.0.0.1:%2: %3")
                         .arg(QString::fromLatin1(escapedText(name())))
                         .arg(m_wantedPort)
                         .arg(m_server.errorString());
        }
        return false;
    }
    if (m_options.deadPort) {
        m_server.pauseAccepting();
        m_plug = new QTcpSocket(this);
        m_plug->connectToHost(QHostAddress::LocalHost, m_server.serverPort());
        if (!m_plug->waitForConnected(kPlugWaitMs)) {
            log("dead port: could not fill the accept queue; connections will hang once "
                "accepted instead");
        }
        log("dead port: listening, letting no connection through");
    }
    return true;
}

void LoggerEndpoint::stop() {
    if (m_session) {
        m_session->abort(); // its finished() handler lets it go
    }
    m_server.close();
    delete m_plug;
    m_plug = nullptr;
}

QByteArray LoggerEndpoint::listeningLine() const {
    return "listening " + escapedText(name()) + " 127.0.0.1:" + QByteArray::number(port());
}

void LoggerEndpoint::acceptConnections() {
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (isRestarting()) {
            const qint64 left = (m_restartUntil.remainingTime() + 999) / 1000;
            refuse(socket, "restarting, " + QByteArray::number(left) + " s left");
            continue;
        }
        if (m_session) {
            refuse(socket, "another console is connected");
            continue;
        }
        auto *session = new LoggerSession(socket, m_model, m_options, m_log, this);
        m_session = session;
        connect(session, &LoggerSession::restarting, this, [this] {
            const auto ms = static_cast<qint64>(std::llround(m_options.restartSeconds * 1000));
            m_restartUntil.setRemainingTime(ms);
            // Said when it is over, so whoever waits for the logger can wait for the words.
            const int restart = ++m_restarts;
            QTimer::singleShot(ms, Qt::PreciseTimer, this, [this, restart] {
                if (restart == m_restarts) {
                    log("restart over: reachable again");
                }
            });
        });
        connect(session, &LoggerSession::finished, this, [this, session] {
            if (m_session == session) {
                m_session = nullptr;
            }
            session->deleteLater();
        });
        Q_EMIT sessionStarted(session);
    }
}

void LoggerEndpoint::refuse(QTcpSocket *socket, const QByteArray &why) {
    log("refused a connection from port " + QByteArray::number(socket->peerPort()) + ": " + why);
    socket->abort();
    socket->deleteLater();
}

void LoggerEndpoint::log(const QByteArray &text) const {
    if (m_log) {
        m_log('[' + escapedText(name()) + "] " + text);
    }
}
