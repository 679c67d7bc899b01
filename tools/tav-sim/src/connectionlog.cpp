#include "connectionlog.h"

#include <utility>

ConnectionLog::ConnectionLog(LogSink sink, QByteArray prefix, qsizetype maxBytes)
    : m_sink(std::move(sink)), m_prefix(std::move(prefix)), m_maxBytes(maxBytes) {}

const QByteArray &ConnectionLog::cycleLine(int index) const {
    return m_recent[static_cast<std::size_t>(2 - m_period + index)];
}

void ConnectionLog::line(const QByteArray &text) {
    if (m_full) {
        write(text); // counted only
        return;
    }
    if (m_period > 0) {
        if (text == cycleLine(m_matched)) {
            if (++m_matched == m_period) {
                m_matched = 0;
                ++m_repeats;
            }
            return;
        }
        endRun();
    }
    if (!text.isEmpty() && text == m_recent[1]) {
        m_period = 1;
        m_repeats = 1;
        return;
    }
    if (!text.isEmpty() && text == m_recent[0]) {
        m_period = 2;
        m_matched = 1;
        return;
    }
    write(text);
}

void ConnectionLog::close(const QByteArray &text) {
    endRun();
    QByteArray last = m_prefix + text;
    if (m_leftOutLines > 0) {
        last += " (" + QByteArray::number(m_leftOutLines) + " lines, " +
                QByteArray::number(m_leftOutBytes) + " bytes not logged)";
    }
    if (m_sink) {
        m_sink(last);
    }
}

void ConnectionLog::endRun() {
    const int period = std::exchange(m_period, 0);
    const int matched = std::exchange(m_matched, 0);
    const qint64 repeats = std::exchange(m_repeats, 0);
    if (period == 0) {
        return;
    }
    // The lines of the cycle in the order written, before write() moves them on.
    const std::array<QByteArray, 2> cycle = m_recent;
    if (repeats > 0) {
        write(QByteArray(period == 1 ? "(the line above " : "(the 2 lines above ") +
                  QByteArray::number(repeats) + " more times)",
              false);
    }
    // A cycle begun but not finished is written as it came.
    for (int i = 0; i < matched; ++i) {
        write(cycle[static_cast<std::size_t>(2 - period + i)]);
    }
}

void ConnectionLog::write(const QByteArray &text, bool activity) {
    const qsizetype size = m_prefix.size() + text.size() + 1; // and its line end
    if (m_full || m_written + size > m_maxBytes) {
        if (!m_full) {
            m_full = true;
            if (m_sink) {
                m_sink(m_prefix + "log limit of " + QByteArray::number(m_maxBytes) +
                       " bytes for this connection reached; the rest is counted");
            }
        }
        ++m_leftOutLines;
        m_leftOutBytes += size;
        return;
    }
    m_written += size;
    if (m_sink) {
        m_sink(m_prefix + text);
    }
    // A count is no activity: it never starts a run of its own.
    if (activity) {
        m_recent[0] = std::exchange(m_recent[1], text);
    }
}
