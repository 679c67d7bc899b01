#include "commands/frames.h"

#include <QDate>
#include <QTime>

namespace {

constexpr char kPrefix[] = "TAV@";

// One byte holding the number itself (0..255).
char byteOf(int value) {
    Q_ASSERT(value >= 0 && value <= 255);
    return static_cast<char>(static_cast<unsigned char>(value));
}

void appendStamp(QByteArray &frame, const frames::HourStamp &stamp) {
    frame.append(byteOf(stamp.year - 2000));
    frame.append(byteOf(stamp.month));
    frame.append(byteOf(stamp.day));
    frame.append(byteOf(stamp.hour));
}

} // namespace

namespace frames {

QByteArray command(int code) {
    Q_ASSERT(code >= 0 && code <= 99);
    QByteArray frame(kPrefix);
    frame.append(static_cast<char>('0' + code / 10));
    frame.append(static_cast<char>('0' + code % 10));
    return frame;
}

QByteArray parameter(QByteArrayView name, QByteArrayView value) {
    QByteArray frame = command(4);
    frame.reserve(frame.size() + name.size() + 1 + value.size());
    frame.append(name).append(':').append(value);
    return frame;
}

QByteArray ftpAccount(QByteArrayView user, QByteArrayView pass, QByteArrayView server) {
    QByteArray frame = command(10);
    if (user.isEmpty()) {
        return frame;
    }
    frame.reserve(frame.size() + user.size() + pass.size() + server.size() + 2);
    frame.append(user).append(':').append(pass).append('@').append(server);
    return frame;
}

QByteArray testAlarm(QByteArrayView id, QByteArrayView code) {
    QByteArray frame = command(21);
    frame.append(id).append(code);
    return frame;
}

QByteArray linuxCommand(QByteArrayView line) {
    QByteArray frame = command(22);
    frame.append(line);
    return frame;
}

QByteArray historic(const HourStamp &from, const HourStamp &to) {
    QByteArray frame = command(23);
    frame.reserve(14);
    appendStamp(frame, from);
    appendStamp(frame, to);
    return frame;
}

std::optional<QByteArray> clockSync(const QDateTime &utc) {
    if (!utc.isValid()) {
        return std::nullopt;
    }
    // Convert rather than trust the caller: the fields must be UTC whatever
    // zone or offset the instant was handed over in.
    const QDateTime at = utc.toUTC();
    const QDate date = at.date();
    const QTime time = at.time();
    if (date.year() < 2000 || date.year() > 2255) {
        return std::nullopt;
    }
    QByteArray frame = command(41);
    frame.reserve(12);
    frame.append(byteOf(date.year() - 2000));
    frame.append(byteOf(date.month()));
    frame.append(byteOf(date.day()));
    frame.append(byteOf(time.hour()));
    frame.append(byteOf(time.minute()));
    frame.append(byteOf(time.second()));
    return frame;
}

} // namespace frames
