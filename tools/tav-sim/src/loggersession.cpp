#include "loggersession.h"

#include <QDateTime>
#include <QTcpSocket>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// "{Version ...}" for one line; the first line and a count for more.
QByteArray summary(const QByteArray &text) {
    const qsizetype lines = text.count("\r\n");
    qsizetype firstEnd = text.indexOf("\r\n");
    QByteArray first = text.left(firstEnd < 0 ? text.size() : firstEnd);
    if (lines <= 1) {
        return first;
    }
    return first + " +" + QByteArray::number(lines - 1) + " lines (" +
           QByteArray::number(text.size()) + " bytes)";
}

} // namespace

LoggerSession::LoggerSession(QTcpSocket *socket, LoggerModel &model, const SimOptions &options,
                             LogSink sink, QObject *parent)
    : QObject(parent), m_socket(socket), m_model(model), m_options(options), m_log(std::move(sink)),
      m_chunker(options.chunkSize, options.randomChunkSeed) {
    m_socket->setParent(this);
    // Small writes must leave at once, or the pieces of a cut reply merge again.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);

    // Coarse timers may fire 5% early; the pause that ends a frame and the fault delays
    // are promises to the console under test.
    m_idleTimer.setTimerType(Qt::PreciseTimer);
    m_outTimer.setTimerType(Qt::PreciseTimer);
    m_idleTimer.setSingleShot(true);
    m_outTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &LoggerSession::idleElapsed);
    connect(&m_outTimer, &QTimer::timeout, this, &LoggerSession::pump);
    connect(&m_traceTimer, &QTimer::timeout, this, &LoggerSession::sendTrace);
    connect(m_socket, &QTcpSocket::readyRead, this, &LoggerSession::readArrivals);
    connect(m_socket, &QTcpSocket::disconnected, this, &LoggerSession::finish);

    log("connected from " + m_socket->peerAddress().toString().toLatin1() + ':' +
        QByteArray::number(m_socket->peerPort()));
    if (m_options.traceIntervalSeconds > 0) {
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
    while (!m_finished && m_socket->bytesAvailable() > 0) {
        const QList<Frame> frames = m_reader.feed(m_socket->readAll());
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
    if (m_reader.hasPending()) {
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

    const QDateTime now = QDateTime::currentDateTimeUtc();
    const Reply reply = m_model.answer(frame, now);
    log("-> " + summary(reply.text));
    enqueue(reply.text, m_options.delayMs, reply.after);
    if (reply.after != Reply::After::Stay) {
        m_closing = true;
        m_traceTimer.stop();
        return;
    }
    if (frame.kind == Frame::Kind::Command && frame.code() == "01" && m_options.flood > 0) {
        const QByteArray lines = m_model.floodLines(m_options.flood, now);
        log("-> flood of " + QByteArray::number(m_options.flood) + " trace lines (" +
            QByteArray::number(lines.size()) + " bytes)");
        enqueue(lines, 0, Reply::After::Stay);
    }
}

void LoggerSession::enqueue(const QByteArray &text, int delayMs, Reply::After after) {
    const QList<QByteArray> pieces = m_chunker.split(text);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        m_out.append({pieces[i], i == 0 ? delayMs : m_options.chunkGapMs, Reply::After::Stay});
    }
    if (after != Reply::After::Stay) {
        m_out.append({{}, kCloseDelayMs, after});
    }
    pump();
}

void LoggerSession::pump() {
    while (!m_finished && !m_out.isEmpty() && !m_outTimer.isActive()) {
        if (m_out.first().delayMs > 0) {
            m_outTimer.start(std::exchange(m_out.first().delayMs, 0));
            return;
        }
        const Outgoing item = m_out.takeFirst();
        if (item.after == Reply::After::Restart) {
            log("restarting: unreachable for " + QByteArray::number(m_options.restartSeconds) +
                " s");
            Q_EMIT restarting();
        }
        if (item.after != Reply::After::Stay) {
            log("closing the link");
            m_out.clear();
            m_socket->disconnectFromHost(); // sends what is queued, then FIN
            if (m_socket->state() == QAbstractSocket::UnconnectedState) {
                finish();
            }
            return;
        }
        m_socket->write(item.bytes);
        m_socket->flush();
        Q_EMIT wrote(item.bytes);
    }
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
    m_out.clear();
    log("connection closed");
    Q_EMIT finished();
}

void LoggerSession::log(const QByteArray &text) const {
    if (m_log) {
        m_log('[' + m_model.name() + "] " + text);
    }
}
