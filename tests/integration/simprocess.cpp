#include "integration/simprocess.h"

#include "support/loopbackpeer.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

const SimProcess::Parameters &SimProcess::factoryParameters() {
    static const Parameters parameters = {
        {"SAMPLE_PERIOD", "60"},
        {"SEND_PERIOD", "3600"},
        {"LEVEL", "3"},
        {"LOGGER_ID", "TAV3-0001"},
        {"SITE_NAME", "North"},
        {"APN", "internet.example"},
        {"APN_USER", ""},
        {"APN_PASS", ""},
        {"SERVER_IP", "192.0.2.50"},
        {"SERVER_PORT", "5000"},
        {"FTP_SERVER", "ftp.example.net"},
        {"NTP_SERVER", "pool.ntp.org"},
        {"TIME_ZONE", "UTC+01:00"},
        {"AI1_MODE", "4-20mA"},
        {"AI1_MIN", "0.00"},
        {"AI1_MAX", "5.00"},
        {"AI2_MODE", "4-20mA"},
        {"AI2_MIN", "0.00"},
        {"AI2_MAX", "100.00"},
        {"ALARM_HIGH", "4.50"},
        {"ALARM_LOW", "0.20"},
        {"GPRS_MODE", "ALWAYS"},
        {"SMTP_SERVER", "smtp.example.net"},
        {"EMAIL_TO", "ops@example.net"},
        {"HIST_DAYS", "90"},
        {"BATT_MIN", "11.5"},
    };
    return parameters;
}

QStringList SimProcess::listingLines(const Parameters &parameters) {
    QStringList out{QStringLiteral("Received ask parameters"),
                    QStringLiteral("Parameters: ") + QString::number(parameters.size())};
    for (const auto &[name, value] : parameters) {
        out << QString::fromLatin1(name + ':' + value);
    }
    out << QStringLiteral("End of list");
    return out;
}

SimProcess::SimProcess() {
    m_process.setProgram(QStringLiteral(TAVSIM_PATH));
    m_process.setReadChannel(QProcess::StandardOutput);
}

SimProcess::~SimProcess() {
    stop();
}

bool SimProcess::start(const QStringList &args) {
    // An ephemeral port, so parallel runs never collide; and no simulator
    // outlives a test run that crashed.
    m_process.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0"),
                                       QStringLiteral("--exit-with-parent")} +
                           args);
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        m_error = QStringLiteral("tav-sim did not start: ") + m_process.errorString();
        return false;
    }
    const QRegularExpression listening(QStringLiteral("^listening (\\S+) 127\\.0\\.0\\.1:(\\d+)$"));
    QByteArray out;
    QDeadlineTimer deadline(5000);
    while (!out.contains('\n')) {
        if (deadline.hasExpired() ||
            !m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            m_error = QStringLiteral("no listening line; stderr: ") +
                      QString::fromLatin1(m_process.readAllStandardError());
            return false;
        }
        out += m_process.readAllStandardOutput();
    }
    const QString line = QString::fromLatin1(out.left(out.indexOf('\n')));
    const QRegularExpressionMatch match = listening.match(line);
    if (!match.hasMatch()) {
        m_error = QStringLiteral("unexpected first line: ") + line;
        return false;
    }
    m_port = static_cast<quint16>(match.captured(2).toUInt());
    return m_port != 0;
}

void SimProcess::readLog() {
    m_log += m_process.readAllStandardError();
}

QByteArray SimProcess::log() {
    readLog();
    return m_log;
}

QList<QByteArray> SimProcess::frames() {
    QList<QByteArray> out;
    for (const QByteArray &line : log().split('\n')) {
        const qsizetype at = line.indexOf("] <- ");
        if (at >= 0) {
            out << line.mid(at + 5);
        }
    }
    return out;
}

bool SimProcess::waitForLog(const QByteArray &text, int ms) {
    return waitUntil([&] { return log().contains(text); }, ms);
}

void SimProcess::kill() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    readLog();
}

void SimProcess::stop() {
    if (m_process.state() == QProcess::NotRunning) {
        return;
    }
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    readLog();
}
