#include "commands/argumentchecks.h"

#include "base/texts.h"

#include <QStringView>
#include <algorithm>
#include <charconv>
#include <optional>

namespace {

using namespace texts::fields;

// Saturation bound for exponents and whole numbers: far beyond any value that
// could pass a check, small enough that no arithmetic on it can overflow.
constexpr qint64 kSaturate = 1'000'000'000'000LL;
// Integer digits of the largest double (about 1.8e308).
constexpr qint64 kDoubleDigits = 309;

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A decimal number exactly as typed: value = digits * 10^exponent.
struct Decimal {
    bool negative = false;
    QString digits; // ASCII digits, leading zeros removed; empty for zero
    qint64 exponent = 0;
};

// Reads [+-] (d+[.d*] | .d+) [(e|E)[+-]d+] between optional blanks.
std::optional<Decimal> readDecimal(const QString &text) {
    const QString s = text.trimmed();
    const qsizetype n = s.size();
    qsizetype i = 0;
    Decimal number;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        number.negative = s[i] == u'-';
        ++i;
    }
    QString digits;
    qsizetype fraction = 0;
    while (i < n && isDigit(s[i])) {
        digits.append(s[i++]);
    }
    if (i < n && s[i] == u'.') {
        ++i;
        while (i < n && isDigit(s[i])) {
            digits.append(s[i++]);
            ++fraction;
        }
    }
    if (digits.isEmpty()) {
        return std::nullopt;
    }
    qint64 exponent = 0;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (s[i] == u'+' || s[i] == u'-')) {
            negativeExponent = s[i] == u'-';
            ++i;
        }
        if (i >= n || !isDigit(s[i])) {
            return std::nullopt;
        }
        while (i < n && isDigit(s[i])) {
            exponent = std::min(kSaturate, exponent * 10 + (s[i++].unicode() - u'0'));
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (i != n) {
        return std::nullopt;
    }
    qsizetype lead = 0;
    while (lead < digits.size() && digits[lead] == u'0') {
        ++lead;
    }
    number.digits = digits.sliced(lead);
    number.exponent = exponent - fraction;
    if (number.digits.isEmpty()) {
        number.negative = false;
        return number;
    }
    // Only numbers a double can hold count as numbers; the check refuses the
    // larger ones anyway, and this keeps the written text bounded.
    const qint64 integerDigits = number.digits.size() + number.exponent;
    if (integerDigits > kDoubleDigits) {
        return std::nullopt;
    }
    if (integerDigits == kDoubleDigits) {
        const QByteArray ascii = s.toLatin1();
        const char *first = ascii.constData() + (ascii.startsWith('+') ? 1 : 0);
        double value = 0;
        const auto result = std::from_chars(first, ascii.constData() + ascii.size(), value);
        if (result.ec == std::errc::result_out_of_range) {
            return std::nullopt;
        }
    }
    return number;
}

// Adds one to a string of ASCII digits ("" counts as zero).
QString incremented(QString digits) {
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = u'0';
    }
    return QLatin1Char('1') + digits;
}

// Rounds half away from zero on the decimal digits themselves, so the typed
// text decides (0.49999999999999999 is below a half, whatever a double says).
QString roundedDigits(const Decimal &number) {
    if (number.digits.isEmpty()) {
        return QStringLiteral("0"); // zero, whatever its exponent
    }
    QString whole;
    if (number.exponent >= 0) {
        whole = number.digits + QString(number.exponent, u'0');
    } else {
        const qint64 dropped = -number.exponent;
        const qint64 size = number.digits.size();
        QChar firstDropped = u'0';
        if (dropped <= size) {
            whole = number.digits.first(size - dropped);
            firstDropped = number.digits[size - dropped];
        }
        if (firstDropped >= u'5') {
            whole = incremented(whole);
        }
    }
    return whole.isEmpty() ? QStringLiteral("0") : whole;
}

// A whole number between optional blanks: optional sign, then ASCII digits.
// Magnitudes beyond kSaturate are held as kSaturate.
std::optional<qint64> readWhole(const QString &text) {
    const QString s = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    if (i >= s.size()) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (; i < s.size(); ++i) {
        if (!isDigit(s[i])) {
            return std::nullopt;
        }
        value = std::min(kSaturate, value * 10 + (s[i].unicode() - u'0'));
    }
    return negative ? -value : value;
}

// Where a field's bytes stand in its frame.
struct FieldSpan {
    QStringView name;
    qsizetype from;
    qsizetype size;
};

constexpr QByteArrayView kFrameStart = "TAV@";
// "TAV@" and the two code digits: the frame's own start.
constexpr qsizetype kCodeEnd = 6;

// Refuses the frame when "TAV@" stands anywhere past its own start, naming the first field
// the text touches. A separator alone cannot be the reason: none of them is a 'T'.
argumentchecks::FrameCheck refuseSmuggled(QByteArray frame,
                                          std::initializer_list<FieldSpan> fields) {
    const qsizetype at = frame.indexOf(kFrameStart, kCodeEnd);
    if (at < 0) {
        return {std::move(frame), {}};
    }
    QStringView named;
    for (const FieldSpan &field : fields) {
        if (at < field.from + field.size && field.from < at + kFrameStart.size()) {
            named = field.name;
            break;
        }
    }
    Q_ASSERT(!named.isEmpty());
    frame.fill('\0'); // it may hold a password
    return {{}, texts::smuggledFrame(named.toString())};
}

} // namespace

namespace argumentchecks {

FrameCheck checkParameter(QByteArrayView name, QByteArrayView value) {
    return refuseSmuggled(
        frames::parameter(name, value),
        {{kParameter, kCodeEnd, name.size()}, {kValue, kCodeEnd + name.size() + 1, value.size()}});
}

FrameCheck checkFtpAccount(QByteArrayView user, QByteArrayView pass, QByteArrayView server) {
    // With no user the frame is the code alone.
    const qsizetype passFrom = kCodeEnd + user.size() + 1;
    return refuseSmuggled(frames::ftpAccount(user, pass, server),
                          {{kUser, kCodeEnd, user.size()},
                           {kPassword, passFrom, pass.size()},
                           {kServer, passFrom + pass.size() + 1, server.size()}});
}

FrameCheck checkLinuxCommand(QByteArrayView line) {
    return refuseSmuggled(frames::linuxCommand(line), {{kComand, kCodeEnd, line.size()}});
}

QString formatEightDigits(const QString &text) {
    const auto number = readDecimal(text);
    if (!number) {
        return text;
    }
    QString whole = roundedDigits(*number);
    if (whole.size() < 8) {
        whole.prepend(QString(8 - whole.size(), u'0'));
    }
    const bool zero = whole.count(u'0') == whole.size();
    return number->negative && !zero ? QLatin1Char('-') + whole : whole;
}

bool isEightDigits(const QString &text) {
    return text.size() == 8 && std::all_of(text.begin(), text.end(), isDigit);
}

AlarmCheck checkAlarm(const QString &idText, const QString &codeText) {
    AlarmCheck check;
    check.id = formatEightDigits(idText);
    if (!isEightDigits(check.id)) {
        check.error = texts::kIdRange;
        return check;
    }
    check.code = formatEightDigits(codeText);
    if (!isEightDigits(check.code)) {
        check.error = texts::kCodeRange;
    }
    return check;
}

HistoricCheck checkHistoric(const HistoricBoxes &boxes) {
    HistoricCheck check;
    if (const auto hour2 = readWhole(boxes.hour2); hour2 && *hour2 > 23) {
        check.error = texts::kMaxHour;
        return check;
    }
    frames::HourStamp from{};
    frames::HourStamp to{};
    struct Box {
        const QString &text;
        QStringView name;
        int min;
        int max;
        int &target;
    };
    const Box order[] = {
        {boxes.hour1, kFromHour, 0, 255, from.hour},
        {boxes.day1, kFromDay, 0, 255, from.day},
        {boxes.month1, kFromMonth, 0, 255, from.month},
        {boxes.year1, kFromYear, 2000, 2255, from.year},
        {boxes.hour2, kToHour, 0, 255, to.hour},
        {boxes.day2, kToDay, 0, 255, to.day},
        {boxes.month2, kToMonth, 0, 255, to.month},
        {boxes.year2, kToYear, 2000, 2255, to.year},
    };
    for (const Box &box : order) {
        const auto value = readWhole(box.text);
        if (!value || *value < box.min || *value > box.max) {
            check.error = texts::badBox(box.name, box.min, box.max);
            return check;
        }
        box.target = static_cast<int>(*value);
    }
    // The frame's bytes: from's year, month, day and hour, then to's.
    const FrameCheck frame = refuseSmuggled(frames::historic(from, to), {{kFromYear, 6, 1},
                                                                         {kFromMonth, 7, 1},
                                                                         {kFromDay, 8, 1},
                                                                         {kFromHour, 9, 1},
                                                                         {kToYear, 10, 1},
                                                                         {kToMonth, 11, 1},
                                                                         {kToDay, 12, 1},
                                                                         {kToHour, 13, 1}});
    if (!frame.ok()) {
        check.error = frame.error;
        return check;
    }
    check.from = from;
    check.to = to;
    return check;
}

} // namespace argumentchecks
