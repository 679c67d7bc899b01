#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "commands/frames.h"

// Checks of what the operator types into the argument dialogs, or a list file
// carries, before it goes into a frame. They turn the texts into what the frame
// carries, or into the message that refuses them; no widgets involved.
namespace argumentchecks {

// Frames have no terminator: the logger takes "TAV@" wherever it stands for the
// start of a command. A frame whose arguments, once joined with their
// separators, hold "TAV@" is refused (frame left empty) with a message naming
// the field it comes from; the FTP password "pwTAV" followed by its "@"
// separator counts as well. Otherwise frame is the one to send.
struct FrameCheck {
    QByteArray frame;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// frames::parameter(name, value); fields "Parámeter" and "Value".
FrameCheck checkParameter(QByteArrayView name, QByteArrayView value);
// frames::ftpAccount(user, pass, server); fields "User", "Password" and "Server".
// A refused frame is wiped before it is let go, as it held the password.
FrameCheck checkFtpAccount(QByteArrayView user, QByteArrayView pass, QByteArrayView server);
// frames::linuxCommand(line); field "Comand".
FrameCheck checkLinuxCommand(QByteArrayView line);

// Number pattern "00000000": text that reads as a number ('.' as decimal
// point whatever the locale, optional sign, optional surrounding blanks,
// optional exponent; no inf, nan or hex) is rounded half away from zero to a
// whole number and written with at least eight digits, zero-padded, a minus
// sign kept in front ("7" -> "00000007", "12.6" -> "00000013",
// "-1" -> "-00000001", "100000000" -> "100000000"). A number that rounds to
// zero has no sign. Text that does not read as a number (the empty text
// included, and numbers beyond the range of a double) comes back unchanged.
QString formatEightDigits(const QString &text);

// Exactly eight ASCII digits, nothing else.
bool isEightDigits(const QString &text);

// The test-alarm check: formats both texts, then refuses what is not exactly
// eight digits (non-numbers and empty text included). id always holds the
// formatted id; code holds the formatted code once it has been checked (it is
// not looked at when the id is refused). error is the message for the first
// failing field, empty when both pass.
struct AlarmCheck {
    QString id;
    QString code;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
AlarmCheck checkAlarm(const QString &idText, const QString &codeText);

// The historic-counter dialog's eight boxes, texts as typed.
struct HistoricBoxes {
    QString hour1, day1, month1, year1, hour2, day2, month2, year2;
};

// from/to hold the numbers read (years in full, e.g. 2019) when error is
// empty; they are left zero when the boxes are refused.
struct HistoricCheck {
    frames::HourStamp from{}, to{};
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// A to-hour above 23 is refused first with "Hora máxima 23". Then every box
// must hold a whole number that fits its byte in the frame (years 2000..2255,
// all other boxes 0..255); the first box that does not, in the order of the
// HistoricBoxes members, is named in the message. Last, numbers whose bytes
// spell "TAV@" (month 65, day 86 and so on; no real date does) are refused as
// a FrameCheck refuses them, naming the first box in the frame's byte order.
HistoricCheck checkHistoric(const HistoricBoxes &boxes);

} // namespace argumentchecks
