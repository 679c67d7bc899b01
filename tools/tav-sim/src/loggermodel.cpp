#include "loggermodel.h"

#include "displaytext.h"
#include "framereader.h"

#include <QDate>
#include <QTime>

#include <cctype>

#include <algorithm>
#include <utility>

namespace {

constexpr QByteArrayView kEnd = "\r\n";
constexpr qsizetype kMaxLogEntries = 50;

QByteArray op(QByteArrayView text) {
    return '{' + text.toByteArray() + '}' + kEnd.toByteArray();
}

// Typed text echoed in a reply: control bytes would break the reply's lines.
QByteArray echoed(QByteArrayView text) {
    QByteArray out = text.toByteArray();
    for (char &c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            c = '?';
        }
    }
    return out;
}

// Typed text repeated in an error reply: the start of it, and how much more there was.
QByteArray echoedStart(QByteArrayView text) {
    return echoed(text.first(std::min(text.size(), Frame::kShownBytes))) +
           notShown(text.size() - Frame::kShownBytes);
}

QByteArray decimalBytes(QByteArrayView bytes) {
    QByteArray out;
    for (char c : bytes) {
        if (!out.isEmpty()) {
            out += ' ';
        }
        out += QByteArray::number(static_cast<unsigned char>(c));
    }
    return out;
}

int byteAt(QByteArrayView bytes, qsizetype i) {
    return static_cast<unsigned char>(bytes[i]);
}

QByteArray stamp(const QDateTime &at) {
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
}

// A milliamp reading between 4.00 and 19.99, as text with two decimals.
QByteArray milliamps(quint32 step) {
    const quint32 hundredths = 400 + step % 1600;
    return QByteArray::number(hundredths / 100) + '.' +
           QByteArray::number(hundredths % 100).rightJustified(2, '0') + "mA";
}

} // namespace

LoggerModel::LoggerModel(QByteArray name, int serial, const QDateTime &utcNow)
    : m_name(std::move(name)) {
    const QByteArray id = "TAV3-" + QByteArray::number(serial).rightJustified(4, '0');
    m_parameters = {
        {"SAMPLE_PERIOD", "60"},
        {"SEND_PERIOD", "3600"},
        {"LEVEL", "3"},
        {"LOGGER_ID", id},
        {"SITE_NAME", m_name},
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
    addLog(utcNow, "Power on");
}

QDateTime LoggerModel::clock(const QDateTime &utcNow) const {
    return utcNow.toUTC().addSecs(m_clockOffsetSeconds);
}

QByteArray LoggerModel::value(QByteArrayView name) const {
    for (const Parameter &p : m_parameters) {
        if (p.name == name) {
            return p.value.isNull() ? QByteArray("") : p.value;
        }
    }
    return {};
}

Reply LoggerModel::answer(const Frame &frame, const QDateTime &utcNow) {
    switch (frame.kind) {
    case Frame::Kind::Stray:
        return {op("Ignored " + QByteArray::number(frame.size()) + " bytes outside a frame (" +
                   frame.bytes.left(Frame::kShownBytes).toHex(' ') +
                   notShown(frame.size() - Frame::kShownBytes) + ")")};
    case Frame::Kind::Overlong:
        return {op("Frame too long, " + echoed(frame.bytes.left(6)) + " with " +
                   QByteArray::number(frame.size()) + " bytes (at most " +
                   QByteArray::number(FrameReader::kMaxFrameBytes) + "), discarded")};
    case Frame::Kind::Incomplete:
        if (frame.bytes.size() >= 6) {
            return {op("Incomplete frame " + echoed(frame.bytes.left(6)) + ", " +
                       QByteArray::number(frame.bytes.size()) + " bytes")};
        }
        return {op("Incomplete frame, " + QByteArray::number(frame.bytes.size()) + " bytes")};
    case Frame::Kind::Command:
        break;
    }

    const QByteArray code = frame.code();
    const QByteArray args = frame.args();
    // Fixed codes followed by bytes never reach here: the reader ends them at six bytes.
    const int number = code.size() == 2 && std::isdigit(static_cast<unsigned char>(code[0])) &&
                               std::isdigit(static_cast<unsigned char>(code[1]))
                           ? code.toInt()
                           : -1;
    switch (number) {
    case 1:
        addLog(utcNow, "Console session opened");
        return {op("Welcome to TAV-3 logger " + m_name)};
    case 2:
        return {op("Bye"), Reply::After::Close};
    case 3:
        return {listing()};
    case 4:
        return {changeParameter(args)};
    case 5:
        return restart(op("Reboot in progress"), utcNow, "Reboot");
    case 7:
        return {op("Version " + kVersion.toByteArray())};
    case 8:
        return {op("Sending file config.ini to server") + op("File sent, 1380 bytes")};
    case 9:
        return {op("Sync with server requested") + op("Sync with server done, 0 files pending")};
    case 10:
        return {ftpAccount(args)};
    case 11:
        if (m_appReceived) {
            return restart(op("Updating application to app1") + op("Rebooting"), utcNow,
                           "Application updated");
        }
        return restart(op("No app1 received, rebooting with current application"), utcNow,
                       "Update without app1");
    case 12:
        return {applyParameters(utcNow)};
    case 13:
        return {op("Email sent to " + echoed(value("EMAIL_TO")))};
    case 14:
        return {op("Email with close sent to " + echoed(value("EMAIL_TO")))};
    case 15:
        return {op("NTP sync with " + echoed(value("NTP_SERVER")) + " done, offset +0.012 s")};
    case 16:
        m_log.clear();
        return {op("Log deleted")};
    case 17:
        return {showLog()};
    case 18:
        return {op("Devices, 3 found") + op("Device 1 Modbus addr 1 flowmeter FM-200 OK") +
                op("Device 2 Modbus addr 2 level sensor LS-10 OK") +
                op("Device 3 SDI-12 addr 0 rain gauge RG-5 no answer")};
    case 21:
        return {testAlarm(args)};
    case 22:
        // Shown, never run: a simulator must not execute what a console sends it.
        return {op("$ " + echoed(args)) + op("(simulated, not run)")};
    case 23:
        return {historicRange(args)};
    case 30:
        addLog(utcNow, "Registered");
        return {op("Logger " + m_name + " registered as " + echoed(value("LOGGER_ID")))};
    case 31:
        return restart(op("Local update, receiving application") + op("Rebooting"), utcNow,
                       "Local update");
    case 41:
        return {setClock(args, utcNow)};
    case 42:
        return {op("GPRS signal: -71 dBm")};
    case 43:
        return {op("GPRS starting") + op("GPRS connected, IP 10.64.12.7")};
    case 44:
        return {op("Password reset to default")};
    default:
        return {op("Unknown command " + echoed(frame.bytes.left(6)))};
    }
}

QByteArray LoggerModel::listing() const {
    QByteArray out = op("Received ask parameters") +
                     op("Parameters: " + QByteArray::number(m_parameters.size()));
    for (const Parameter &p : m_parameters) {
        out += op(p.name + ':' + p.value);
    }
    return out + op("End of list");
}

QByteArray LoggerModel::changeParameter(const QByteArray &args) {
    const qsizetype colon = args.indexOf(':');
    if (colon < 0) {
        return op("Bad parameter change, no colon in " + echoedStart(args));
    }
    const QByteArray name = args.left(colon);
    const QByteArray newValue = args.mid(colon + 1);
    if (value(name).isNull()) {
        return op("Unknown parameter " + echoedStart(name));
    }
    if (newValue.contains('\r') || newValue.contains('\n')) {
        return op("Bad value for " + echoed(name) + ", line breaks not allowed");
    }
    auto it = std::find_if(m_pending.begin(), m_pending.end(),
                           [&](const Parameter &p) { return p.name == name; });
    if (it != m_pending.end()) {
        it->value = newValue;
    } else {
        m_pending.append({name, newValue});
    }
    return op("Parameter " + name + " set to " + echoed(newValue) + ", pending apply");
}

QByteArray LoggerModel::applyParameters(const QDateTime &utcNow) {
    const qsizetype applied = m_pending.size();
    for (const Parameter &change : std::as_const(m_pending)) {
        for (Parameter &p : m_parameters) {
            if (p.name == change.name) {
                p.value = change.value;
            }
        }
    }
    m_pending.clear();
    addLog(utcNow, "Parameters applied (" + QByteArray::number(applied) + ")");
    return op("Parameters applied: " + QByteArray::number(applied));
}

QByteArray LoggerModel::ftpAccount(const QByteArray &args) {
    if (args.isEmpty()) {
        m_appReceived = true;
        return op("FTP account from logger settings") +
               op("app1 received from " + echoed(value("FTP_SERVER")) + " (simulated)");
    }
    // user:password@server. The user ends at the first colon and the server starts after
    // the last "@", so the password may hold either. It is never repeated back.
    const qsizetype colon = args.indexOf(':');
    const qsizetype at = args.lastIndexOf('@');
    if (colon < 0 || at < colon) {
        m_appReceived = false;
        return op("Bad FTP account, expected user, colon, password, at sign, server");
    }
    const QByteArray user = args.left(colon);
    const QByteArray server = args.mid(at + 1);
    QByteArray out = op("FTP account user=" + echoed(user) + " server=" + echoed(server));
    if (user.isEmpty() || server.isEmpty()) {
        m_appReceived = false;
        return out + op("No app1 received, account incomplete");
    }
    m_appReceived = true;
    return out + op("app1 received from " + echoed(server) + " (simulated)");
}

QByteArray LoggerModel::testAlarm(const QByteArray &args) const {
    const bool digits = std::all_of(args.begin(), args.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    if (args.size() != 16 || !digits) {
        return op("Bad test alarm, expected 8 + 8 digits, got \"" + echoed(args) + "\"");
    }
    return op("Test alarm id=" + args.left(8) + " code=" + args.mid(8) + " raised");
}

QByteArray LoggerModel::historicRange(const QByteArray &args) const {
    auto at = [&](int first) -> QDateTime {
        const QDate day(2000 + byteAt(args, first), byteAt(args, first + 1),
                        byteAt(args, first + 2));
        const int hour = byteAt(args, first + 3);
        if (!day.isValid() || hour > 23) {
            return {};
        }
        return QDateTime(day, QTime(hour, 0), Qt::UTC);
    };
    if (args.size() != 8) {
        return op("Bad historic range, " + QByteArray::number(args.size()) + " bytes");
    }
    const QDateTime from = at(0);
    const QDateTime to = at(4);
    if (!from.isValid() || !to.isValid()) {
        return op("Bad historic range, bytes " + decimalBytes(args));
    }
    if (to < from) {
        return op("Bad historic range, ends before it starts");
    }
    const QString pattern = QStringLiteral("yyyy-MM-dd HH'h'");
    return op("Historic counter file from " + from.toString(pattern).toLatin1() + " to " +
              to.toString(pattern).toLatin1() + ", " + QByteArray::number(from.secsTo(to) / 3600) +
              " hours, recording");
}

QByteArray LoggerModel::setClock(const QByteArray &args, const QDateTime &utcNow) {
    if (args.size() != 6) {
        return op("Bad clock, " + QByteArray::number(args.size()) + " bytes");
    }
    const QDate day(2000 + byteAt(args, 0), byteAt(args, 1), byteAt(args, 2));
    const QTime time(byteAt(args, 3), byteAt(args, 4), byteAt(args, 5));
    if (!day.isValid() || !time.isValid()) {
        return op("Bad clock, bytes " + decimalBytes(args));
    }
    const QDateTime set(day, time, Qt::UTC);
    m_clockOffsetSeconds = utcNow.toUTC().secsTo(set);
    addLog(utcNow, "Clock set from console");
    return op("Clock set to " + stamp(set) + " UTC");
}

QByteArray LoggerModel::showLog() const {
    if (m_log.isEmpty()) {
        return op("Log empty");
    }
    QByteArray out = op("Log, " + QByteArray::number(m_log.size()) +
                        (m_log.size() == 1 ? " entry" : " entries"));
    for (const QByteArray &entry : m_log) {
        out += op(entry);
    }
    return out;
}

QByteArray LoggerModel::traceValues(quint32 step) {
    return "AI1=" + milliamps(step * 37) + " AI2=" + milliamps(step * 53 + 800);
}

QByteArray LoggerModel::traceLine(const QDateTime &utcNow) {
    return clock(utcNow).toString(QStringLiteral("HH:mm:ss")).toLatin1() + ' ' +
           traceValues(m_traceCount++) + kEnd.toByteArray();
}

LoggerModel::Flood LoggerModel::startFlood(int count, const QDateTime &utcNow) {
    Flood flood{clock(utcNow).toString(QStringLiteral("HH:mm:ss")).toLatin1(), count, m_traceCount};
    m_traceCount += static_cast<quint32>(count);
    return flood;
}

QByteArray LoggerModel::floodLine(const Flood &flood, int number) {
    return flood.time + " #" + QByteArray::number(number) + '/' + QByteArray::number(flood.count) +
           ' ' + traceValues(flood.firstStep + static_cast<quint32>(number - 1)) +
           kEnd.toByteArray();
}

void LoggerModel::addLog(const QDateTime &utcNow, QByteArrayView text) {
    m_log.append(stamp(clock(utcNow)) + ' ' + text.toByteArray());
    if (m_log.size() > kMaxLogEntries) {
        m_log.removeFirst();
    }
}

Reply LoggerModel::restart(QByteArray text, const QDateTime &utcNow, QByteArrayView why) {
    // Changes not yet applied do not survive a restart; the received app is used up.
    m_pending.clear();
    m_appReceived = false;
    addLog(utcNow, why);
    return {std::move(text), Reply::After::Restart};
}
