#pragma once

#include "framereader.h"
#include "loggermodel.h"
#include "logsink.h"
#include "replychunker.h"
#include "simoptions.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

class QTcpSocket;

// One console connection to a simulated logger: reads frames off the socket, answers them
// from the logger's model, writes the replies (delayed and cut into pieces when the fault
// options say so), sends trace lines, and ends the link on goodbye, restart or
// --drop-after. Owns the socket.
class LoggerSession final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoggerSession)

public:
    static constexpr int kCloseDelayMs = 100; // the logger closes its side this long after a reply

    LoggerSession(QTcpSocket *socket, LoggerModel &model, const SimOptions &options, LogSink sink,
                  QObject *parent = nullptr);

    // Ends the connection at once, unsent replies included.
    void abort();
    bool isFinished() const { return m_finished; }

Q_SIGNALS:
    void finished();                     // the connection is gone
    void restarting();                   // the logger goes down for a restart now
    void wrote(const QByteArray &piece); // one separate write to the socket

private:
    struct Outgoing {
        QByteArray bytes;
        int delayMs = 0;
        Reply::After after = Reply::After::Stay; // Close/Restart items carry no bytes
    };

    void readArrivals();
    void idleElapsed();
    void handle(const Frame &frame);
    void enqueue(const QByteArray &text, int delayMs, Reply::After after);
    void pump();
    void sendTrace();
    void finish();
    void log(const QByteArray &text) const;

    QTcpSocket *m_socket;
    LoggerModel &m_model;
    const SimOptions &m_options;
    LogSink m_log;
    FrameReader m_reader;
    ReplyChunker m_chunker;
    QTimer m_idleTimer;
    QTimer m_traceTimer;
    QTimer m_outTimer;
    QList<Outgoing> m_out;
    int m_frames = 0;
    bool m_closing = false; // goodbye or restart answered: later frames are not
    bool m_finished = false;
};
