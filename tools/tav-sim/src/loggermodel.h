#pragma once

#include "frame.h"
#include "reply.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>

// The state of one simulated TAV logger and its answers: parameters with a pending set
// that only "apply" makes current, its clock, its event log and the FTP account it was
// given. Time comes in as an argument so every answer can be checked byte for byte.
// Command lines (code 22) are echoed, never run.
class LoggerModel {
public:
    static constexpr QByteArrayView kVersion = "TAV-3 firmware 4.2.1 (sim)";

    LoggerModel(QByteArray name, int serial, const QDateTime &utcNow);

    const QByteArray &name() const { return m_name; }

    // The answer to one frame cut from the stream (unknown codes, stray bytes and broken
    // frames get an error line).
    Reply answer(const Frame &frame, const QDateTime &utcNow);
    // One unsolicited trace line (outside braces), CR LF included.
    QByteArray traceLine(const QDateTime &utcNow);
    // A flood of count trace lines numbered 1/count to count/count, for load tests. The lines
    // are made one by one as the link drains, so any count takes little memory; their values
    // are taken now, so trace lines sent meanwhile go on after them.
    struct Flood {
        QByteArray time;       // the logger's clock when the flood started
        int count = 0;         // lines in all
        quint32 firstStep = 0; // trace values of the first line
    };
    Flood startFlood(int count, const QDateTime &utcNow);
    // Line number (1 to count) of a flood, CR LF included.
    static QByteArray floodLine(const Flood &flood, int number);

    // The logger's own clock: UTC as last set by the console (code 41), running on since.
    QDateTime clock(const QDateTime &utcNow) const;
    // Current (applied) value of a parameter; a null QByteArray when there is no such name.
    QByteArray value(QByteArrayView name) const;
    qsizetype parameterCount() const { return m_parameters.size(); }
    qsizetype pendingCount() const { return m_pending.size(); }

private:
    struct Parameter {
        QByteArray name;
        QByteArray value;
    };

    QByteArray listing() const;
    QByteArray changeParameter(const QByteArray &args);
    QByteArray applyParameters(const QDateTime &utcNow);
    QByteArray ftpAccount(const QByteArray &args);
    QByteArray testAlarm(const QByteArray &args) const;
    QByteArray historicRange(const QByteArray &args) const;
    QByteArray setClock(const QByteArray &args, const QDateTime &utcNow);
    QByteArray showLog() const;
    static QByteArray traceValues(quint32 step);
    void addLog(const QDateTime &utcNow, QByteArrayView text);
    Reply restart(QByteArray text, const QDateTime &utcNow, QByteArrayView why);

    QByteArray m_name;
    QList<Parameter> m_parameters; // current values, in listing order
    QList<Parameter> m_pending;    // changed since the last apply, in order of change
    qint64 m_clockOffsetSeconds = 0;
    QList<QByteArray> m_log;
    bool m_appReceived = false;
    quint32 m_traceCount = 0;
};
