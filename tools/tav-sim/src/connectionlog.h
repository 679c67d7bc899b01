#pragma once

#include "logsink.h"

#include <QByteArray>

#include <array>

// What one connection writes to the simulator's log, bounded whatever a client sends. A run of
// repeats, one line again and again or a frame and its answer again and again, is written
// once and then counted: "(the 2 lines above 99999 more times)". Past a byte budget nothing
// more is written but the closing line, which says how much was left out.
class ConnectionLog {
public:
    static constexpr qsizetype kMaxBytes = 1024 * 1024;

    // Every line goes to sink behind prefix ("[North] ").
    ConnectionLog(LogSink sink, QByteArray prefix, qsizetype maxBytes = kMaxBytes);

    void line(const QByteArray &text);
    // Ends a run still being counted, then writes text whatever the budget.
    void close(const QByteArray &text);

private:
    const QByteArray &cycleLine(int index) const;
    void endRun();
    // Within the budget, or counted as left out.
    void write(const QByteArray &text, bool activity = true);

    LogSink m_sink;
    QByteArray m_prefix;
    qsizetype m_maxBytes;
    qsizetype m_written = 0;
    std::array<QByteArray, 2> m_recent; // the last two lines written, the newest last
    int m_period = 0;                   // lines in the repeating cycle; 0 while none repeats
    int m_matched = 0;                  // lines of the next cycle seen so far
    qint64 m_repeats = 0;               // whole cycles counted and not written
    bool m_full = false;
    qint64 m_leftOutLines = 0;
    qint64 m_leftOutBytes = 0;
};
