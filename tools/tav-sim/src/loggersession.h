#pragma once

#include "connectionlog.h"
#include "framereader.h"
#include "loggermodel.h"
#include "logsink.h"
#include "replychunker.h"
#include "simoptions.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <optional>

class QTcpSocket;

// One console connection to a simulated logger: reads frames off the socket, answers them
// from the logger's model, writes the replies (delayed and cut into pieces when the fault
// options say so), sends trace lines, and ends the link on goodbye, restart or
// --drop-after. Owns the socket. Whatever the console sends, and however slowly it reads,
// the session holds a bounded amount and leaves the event loop its turn: it reads in slices,
// stops reading while the console leaves its replies unread, and makes a flood's lines only
// as the link drains.
class LoggerSession final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoggerSession)

public:
    static constexpr int kCloseDelayMs = 100; // the logger closes its side this long after a reply
    // Read from the kernel per turn of the event loop; the rest waits there, and a full
    // receive window holds the console back.
    static constexpr qint64 kReadBufferBytes = 64 * 1024;
    // Replies made but not yet taken by the console: past this, no more frames are read
    // until it takes some (the answer to one frame can be a thousand times its size).
    static constexpr qint64 kMaxBacklogBytes = 1024 * 1024;

    LoggerSession(QTcpSocket *socket, LoggerModel &model, const SimOptions &options, LogSink sink,
                  QObject *parent = nullptr);

    // Ends the connection at once, unsent replies included.
    void abort();
    bool isFinished() const { return m_finished; }
    // Frames taken from the stream and answered (or dropped by --drop-after).
    int frames() const { return m_frames; }

Q_SIGNALS:
    void finished();                     // the connection is gone
    void restarting();                   // the logger goes down for a restart now
    void wrote(const QByteArray &piece); // one separate write to the socket

private:
    // One reply (or flood) on its way out, sent a piece at a time from `sent` on.
    struct Outgoing {
        QByteArray bytes{};
        qsizetype sent = 0;
        int waitMs = 0;                            // pause before its next piece
        Reply::After after = Reply::After::Stay;   // Close/Restart items carry no bytes
        std::optional<LoggerModel::Flood> flood{}; // lines made into bytes as they are needed
        int nextFloodLine = 1;

        bool isDone() const {
            return sent == bytes.size() && (!flood || nextFloodLine > flood->count);
        }
    };

    void readArrivals();
    void idleElapsed();
    void handle(const Frame &frame);
    void enqueue(const QByteArray &text, int delayMs, Reply::After after);
    void enqueueFlood(const LoggerModel::Flood &flood);
    void pump();
    QByteArray nextPiece(Outgoing &item);
    // The console took bytes or a pause ended: send more, and read again if it was held.
    void drain();
    bool isBacklogged() const;
    void sendTrace();
    void finish();
    void log(const QByteArray &text);

    QTcpSocket *m_socket;
    LoggerModel &m_model;
    const SimOptions &m_options;
    ConnectionLog m_log;
    FrameReader m_reader;
    ReplyChunker m_chunker;
    QTimer m_idleTimer;
    QTimer m_traceTimer;
    QTimer m_outTimer;
    QTimer m_drainTimer;
    QList<Outgoing> m_out;
    qint64 m_queuedBytes = 0; // made into bytes in m_out, not yet written
    int m_frames = 0;
    bool m_closing = false; // goodbye or restart answered: later frames are not
    bool m_finished = false;
};
