#pragma once

#include "loggermodel.h"
#include "loggersession.h"
#include "logsink.h"
#include "simoptions.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

class QTcpSocket;

// One simulated logger on its own loopback port: takes one console connection at a time,
// closes any other at once, and stays unreachable for a while after a restart. With
// --dead-port it listens but lets nothing through. Keeps the logger's model across
// connections, so applied parameters survive a reconnect.
class LoggerEndpoint final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoggerEndpoint)

public:
    LoggerEndpoint(QByteArray name, int serial, quint16 port, const SimOptions &options,
                   LogSink sink, QObject *parent = nullptr);
    ~LoggerEndpoint() override;

    bool listen(QString *error);
    // Ends the open connection and stops listening.
    void stop();

    const QByteArray &name() const { return m_model.name(); }
    quint16 port() const { return m_server.serverPort(); }
    // "listening <name> 127.0.0.1:<port>", the name escaped as the log shows it.
    QByteArray listeningLine() const;
    LoggerModel &model() { return m_model; }
    LoggerSession *session() const { return m_session; }
    bool isRestarting() const { return !m_restartUntil.hasExpired(); }

Q_SIGNALS:
    void sessionStarted(LoggerSession *session);

private:
    void acceptConnections();
    void refuse(QTcpSocket *socket, const QByteArray &why);
    void log(const QByteArray &text) const;

    const SimOptions &m_options;
    LogSink m_log;
    LoggerModel m_model;
    quint16 m_wantedPort;
    QTcpServer m_server;
    QPointer<LoggerSession> m_session;
    QDeadlineTimer m_restartUntil; // default: expired, so reachable from the start
    int m_restarts = 0;            // numbers the restarts, so only the last one says it is over
    QTcpSocket *m_plug = nullptr;  // holds the dead port's only accept slot
};
