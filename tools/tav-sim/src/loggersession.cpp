#include "loggersession.h"

#include "displaytext.h"

#include <QDateTime>
#include <QTcpSocket>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// A reply line is logged whole up to this; only the echo of a long frame is longer.
constexpr qsizetype kLongestLoggedLine = 200;
// Bytes handed to the socket that the kernel has not taken yet: no more is written past it.
constexpr qint64 kSocketBacklogBytes = 64 * 1024;
// A flood's lines are made in batches of this size when replies are not cut.
constexpr qsizetype kFloodBatchBytes = 16 * 1024;
// Frames are read in slices this small, so that the replies made between two looks at the
// backlog stay small too.
constexpr qint64 kReadSliceBytes = 4 * 1024;
// Writes and bytes per turn of the event loop, so a stop signal is never kept waiting.
constexpr int kWritesPerTurn = 256;
constexpr qsizetype kBytesPerTurn = 64 * 1024;

// "{Version ...}" for one line; the first line and a count for more.
QByteArray summary(const QByteArray &text) {
    const qsizetype lines = text.count("\r\n");
    const qsizetype firstEnd = text.indexOf("\r\n");
    const QByteArrayView first = QByteArrayView(text).first(firstEnd < 0 ? text.size() : firstEnd);
    const QByteArray shown = escapedText(first.first(std::min(first.size(), kLongestLoggedLine))) +
                             notShown(first.size() - kLongestLoggedLine);
    if (lines <= 1) {
        return shown;
    }
    return shown + " +" + QByteArray::number(lines - 1) + " lines (" +
           QByteArray::number(text.size()) + " bytes)";
}

} // namespace

LoggerSession::LoggerSession(QTcpSocket *socket, LoggerModel &model, const SimOptions &options,
                             LogSink sink, QObject *parent)
    : QObject(parent), m_socket(socket), m_model(model), m_options(options),
      m_log(std::move(sink), '[' + escapedText(model.name()) + "] "),
      m_chunker(options.chunkSize, options.randomChunkSeed) {
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kReadBufferBytes);
    // Small writes must leave at once, or the pieces of a cut reply merge again.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);

    // Coarse timers may fire 5% early; the pause that ends a frame and the fault delays
    // are promises to the console under test.
    m_idleTimer.setTimerType(Qt::PreciseTimer);
    m_outTimer.setTimerType(Qt::PreciseTimer);
    m_idleTimer.setSingleShot(true);
    m_outTimer.setSingleShot(true);
    m_drainTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &LoggerSession::idleElapsed);
    connect(&m_outTimer, &QTimer::timeout, this, &LoggerSession::drain);
    connect(&m_drainTimer, &QTimer::timeout, this, &LoggerSession::drain);
    // Also emitted from inside a write: only noted here, handled on the event loop.
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] { m_drainTimer.start(0); });
    connect(&m_traceTimer, &QTimer::timeout, this, &LoggerSession::sendTrace);
    connect(m_socket, &QTcpSocket::readyRead, this, &LoggerSession::readArrivals);
    connect(m_socket, &QTcpSocket::disconnected, this, &LoggerSession::finish);

    log("connected from " + m_socket->peerAddress().toString().toLatin1() + ':' +
        QByteArray::number(m_socket->peerPort()));
    if (m_options.traceIntervalSeconds > 0 && !m_options.mute) {
        const long ms = std::lround(m_options.traceIntervalSeconds * 1000);
        m_traceTimer.start(static_cast<int>(std::max(ms, 10L))); // never a busy loop
    }
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        // Gone before we got to it; let the owner see it once its signals are connected.
        QTimer::singleShot(0, this, &LoggerSession::finish);
    } else if (m_socket->bytesAvailable() > 0) {
        QTimer::singleShot(0, this, &LoggerSession::readArrivals);
    }
}

void LoggerSession::abort() {
    if (m_finished) {
        return;
    }
    m_socket->abort();
    finish();
}

void LoggerSession::readArrivals() {
    // The socket holds at most kReadBufferBytes, so one call reads a slice, not the stream.
    while (!m_finished && m_socket->bytesAvailable() > 0 && !isBacklogged()) {
        const QList<Frame> frames = m_reader.feed(m_socket->read(kReadSliceBytes));
        for (const Frame &frame : frames) {
            if (m_finished) {
                return;
            }
            handle(frame);
        }
    }
    if (m_finished) {
        return;
    }
    // The sender's pause counts only once all it sent has been read.
    if (m_reader.hasPending() && m_socket->bytesAvailable() == 0) {
        m_idleTimer.start(m_options.idlePauseMs); // restarts with every arrival
    } else {
        m_idleTimer.stop();
    }
}

void LoggerSession::idleElapsed() {
    for (const Frame &frame : m_reader.finishPending()) {
        if (m_finished) {
            return;
        }
        handle(frame);
    }
}

void LoggerSession::handle(const Frame &frame) {
    log("<- " + frame.logText());
    if (m_closing) {
        log("   (not answered: the link is closing)");
        return;
    }
    ++m_frames;
    if (m_options.dropAfter > 0 && m_frames >= m_options.dropAfter) {
        log("dropping the link after " + QByteArray::number(m_frames) + " frames");
        abort();
        return;
    }

    if (m_options.mute) {
        log("   (not answered: mute)");
        return;
    }

    const QDateTime now = QDateTime::currentDateTimeUtc();
    Reply reply = m_model.answer(frame, now);
    if (m_frames == m_options.dropMidReply) {
        // At least one byte goes out, and never the whole answer.
        reply.text.truncate(std::max<qsizetype>(1, reply.text.size() / 2));
        reply.after = Reply::After::Drop;
    }
    log("-> " + summary(reply.text));
    enqueue(reply.text, m_options.delayMs, reply.after);
    if (reply.after != Reply::After::Stay) {
        m_closing = true;
        m_traceTimer.stop();
        return;
    }
    if (frame.kind == Frame::Kind::Command && frame.code() == "01" && m_options.flood > 0) {
        log("-> flood of " + QByteArray::number(m_options.flood) + " trace lines");
        enqueueFlood(m_model.startFlood(m_options.flood, now));
    }
}

void LoggerSession::enqueue(const QByteArray &text, int delayMs, Reply::After after) {
    if (!text.isEmpty()) {
        m_out.append({.bytes = text, .waitMs = delayMs});
        m_queuedBytes += text.size();
    }
    if (after != Reply::After::Stay) {
        m_out.append({.waitMs = kCloseDelayMs, .after = after});
    }
    pump();
}

void LoggerSession::enqueueFlood(const LoggerModel::Flood &flood) {
    m_out.append({.flood = flood});
    pump();
}

void LoggerSession::pump() {
    int writes = 0;
    qsizetype written = 0;
    while (!m_finished && !m_out.isEmpty() && !m_outTimer.isActive()) {
        Outgoing &item = m_out.first();
        if (item.waitMs > 0) {
            m_outTimer.start(std::exchange(item.waitMs, 0));
            return;
        }
        if (item.after == Reply::After::Drop) {
            log("dropping the link in mid-reply");
            abort();
            return;
        }
        if (item.after != Reply::After::Stay) {
            if (item.after == Reply::After::Restart) {
                log("restarting: unreachable for " + QByteArray::number(m_options.restartSeconds) +
                    " s");
                Q_EMIT restarting();
            }
            log("closing the link");
            m_out.clear();
            m_queuedBytes = 0;
            m_socket->disconnectFromHost(); // sends what is queued, then FIN
            if (m_socket->state() == QAbstractSocket::UnconnectedState) {
                finish();
            }
            return;
        }
        if (m_socket->bytesToWrite() >= kSocketBacklogBytes) {
            return; // bytesWritten brings it back
        }
        if (writes >= kWritesPerTurn || written >= kBytesPerTurn) {
            m_outTimer.start(0); // the rest on the next turn of the event loop
            return;
        }
        const QByteArray piece = nextPiece(item);
        if (item.isDone()) {
            m_out.removeFirst();
        } else if (m_chunker.cuts()) {
            item.waitMs = m_options.chunkGapMs;
        }
        ++writes;
        written += piece.size();
        m_socket->write(piece);
        m_socket->flush();
        Q_EMIT wrote(piece);
    }
}

QByteArray LoggerSession::nextPiece(Outgoing &item) {
    const qsizetype size = m_chunker.cuts() ? m_chunker.nextPieceSize() : 0;
    if (item.flood) {
        // Only as many lines as this piece takes (a batch when pieces are not cut); a piece
        // ends short only where the flood does, as if it had been made whole.
        item.bytes.remove(0, std::exchange(item.sent, 0));
        const qsizetype wanted = size > 0 ? size : kFloodBatchBytes;
        while (item.bytes.size() < wanted && item.nextFloodLine <= item.flood->count) {
            const QByteArray line = LoggerModel::floodLine(*item.flood, item.nextFloodLine++);
            item.bytes += line;
            m_queuedBytes += line.size();
        }
    }
    const qsizetype left = item.bytes.size() - item.sent;
    const QByteArray piece = item.bytes.mid(item.sent, size > 0 ? std::min(size, left) : left);
    item.sent += piece.size();
    m_queuedBytes -= piece.size();
    return piece;
}

void LoggerSession::drain() {
    pump();
    if (!m_finished && m_socket->bytesAvailable() > 0 && !isBacklogged()) {
        readArrivals();
    }
}

bool LoggerSession::isBacklogged() const {
    return m_queuedBytes + m_socket->bytesToWrite() >= kMaxBacklogBytes;
}

void LoggerSession::sendTrace() {
    if (m_closing || m_finished) {
        return;
    }
    const QByteArray line = m_model.traceLine(QDateTime::currentDateTimeUtc());
    log("-> trace " + line.chopped(2));
    enqueue(line, 0, Reply::After::Stay);
}

void LoggerSession::finish() {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_idleTimer.stop();
    m_traceTimer.stop();
    m_outTimer.stop();
    m_drainTimer.stop();
    m_out.clear();
    m_queuedBytes = 0;
    m_log.close("connection closed");
    Q_EMIT finished();
}

void LoggerSession::log(const QByteArray &text) {
    m_log.line(text);
}
