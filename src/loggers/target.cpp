#include "loggers/target.h"

std::optional<Target> parseTarget(const QString &hostText, const QString &portText) {
    const QString host = hostText.trimmed();
    if (host.isEmpty() || host.size() > kMaxHostChars) {
        return std::nullopt;
    }
    for (const QChar ch : host) {
        if (ch.category() == QChar::Other_Control) {
            return std::nullopt;
        }
    }
    const std::optional<quint16> port = parsePort(portText);
    if (!port) {
        return std::nullopt;
    }
    return Target{host, *port};
}

std::optional<quint16> parsePort(QStringView portText) {
    const QStringView port = portText.trimmed();
    if (port.isEmpty() || port.size() > 5) {
        return std::nullopt;
    }
    // Digit by digit: QString::toInt stops at a NUL and still reports success.
    int value = 0;
    for (const QChar ch : port) {
        if (ch < u'0' || ch > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (ch.unicode() - u'0');
    }
    if (value < 1 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<quint16>(value);
}
