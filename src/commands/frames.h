#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <optional>

// Builders of the command frames sent to a logger: "TAV@", a two-digit code
// and the arguments, with no separator, terminator or checksum. Date and time
// fields are single bytes holding the number itself, so 10 and 13 go out as
// the raw bytes 0x0A and 0x0D; every frame is built as bytes, never as text.
namespace frames {

// "TAV@" + code as two decimal digits, leading zero kept (0..99).
QByteArray command(int code);

// The codes of a session's own frames, which no menu entry sends: the greeting that opens
// it, the goodbye that ends it, and the keep-alive.
inline constexpr int kLogOn = 1;
inline constexpr int kLogOff = 2;
inline constexpr int kKeepAlive = 7;

// "TAV@04" + name + ":" + value, both as they stand.
QByteArray parameter(QByteArrayView name, QByteArrayView value);

// "TAV@10" + user + ":" + pass + "@" + server; "TAV@10" alone when user is
// empty (pass and server are then not looked at).
QByteArray ftpAccount(QByteArrayView user, QByteArrayView pass, QByteArrayView server);

// "TAV@21" + id + code, nothing between them.
QByteArray testAlarm(QByteArrayView id, QByteArrayView code);

// "TAV@22" + line, nothing added.
QByteArray linuxCommand(QByteArrayView line);

struct HourStamp {
    int year;
    int month;
    int day;
    int hour;
};

// "TAV@23" + from(year-2000, month, day, hour) + to(year-2000, month, day, hour):
// 14 bytes. The caller has checked that every field fits one byte.
QByteArray historic(const HourStamp &from, const HourStamp &to);

// "TAV@41" + year-2000, month, day, hour, minute, second of the instant in
// UTC: 12 bytes. std::nullopt for an invalid instant or a year outside
// 2000..2255, which the one-byte year field cannot carry.
std::optional<QByteArray> clockSync(const QDateTime &utc);

} // namespace frames
