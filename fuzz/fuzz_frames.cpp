// Fuzzes what turns operator text into frames: the eight-digit formatting and
// the test-alarm and historic checks, the 8-bit text conversion, the frame
// builders and the refusal of arguments that would carry another frame ("TAV@"
// past a frame's first six bytes). The operator text is read from the input as UTF-8, as raw UTF-16
// or as one character U+0000..U+00FF per byte (where the code page's gaps lie).
//
// Input layout (FuzzedDataProvider): texts from the front, each ended by a
// backslash and one other byte; choices and numbers from the back.
#include "base/text8.h"
#include "commands/argumentchecks.h"
#include "commands/frames.h"

#include "fuzzcheck.h"

#include <QDateTime>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <fuzzer/FuzzedDataProvider.h>
#include <iconv.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace argumentchecks;
using fuzzcheck::require;
using fuzzcheck::show;

const QString kIdRange = QStringLiteral("Id debe ser entre 0 y 99999999");
const QString kCodeRange = QStringLiteral("Alarma debe ser entre 0 y 99999999");
const QString kMaxHour = QStringLiteral("Hora m\u00E1xima 23");

QString anotherCommandIn(const QString &field) {
    return QStringLiteral("The field \"") + field +
           QStringLiteral("\" would send \"TAV@\", which the logger takes for the start of "
                          "another command; nothing was sent");
}

// Whether the logger would find the start of a second frame in this one.
bool carriesAnotherFrame(const QByteArray &frame) {
    return frame.indexOf("TAV@", 6) >= 0;
}

bool asciiDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool eightAsciiDigits(const QString &text) {
    if (text.size() != 8) {
        return false;
    }
    for (const QChar c : text) {
        if (!asciiDigit(c)) {
            return false;
        }
    }
    return true;
}

// "-"? then eight or more ASCII digits, no leading zero beyond the eight, no "-0".
bool formattedNumber(const QString &text) {
    const QString digits = text.startsWith(u'-') ? text.sliced(1) : text;
    if (digits.size() < 8) {
        return false;
    }
    for (const QChar c : digits) {
        if (!asciiDigit(c)) {
            return false;
        }
    }
    const bool zero = digits.count(u'0') == digits.size();
    return !(digits.size() > 8 && digits.startsWith(u'0')) && !(zero && text.startsWith(u'-'));
}

// [+-]digits[.digits] with at most 15 integer and 3 fraction digits, rounded
// half away from zero with integer arithmetic; nullopt for any other text.
std::optional<QString> plainEightDigits(const QString &text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 whole = 0;
    int wholeDigits = 0;
    for (; i < n && asciiDigit(text[i]); ++i) {
        if (++wholeDigits > 15) {
            return std::nullopt;
        }
        whole = whole * 10 + (text[i].unicode() - '0');
    }
    if (wholeDigits == 0) {
        return std::nullopt;
    }
    int firstFraction = 0;
    int fractionDigits = 0;
    if (i < n && text[i] == u'.') {
        for (++i; i < n && asciiDigit(text[i]); ++i, ++fractionDigits) {
            if (fractionDigits == 0) {
                firstFraction = text[i].unicode() - '0';
            }
        }
    }
    if (i != n || fractionDigits > 3) {
        return std::nullopt;
    }
    if (firstFraction >= 5) {
        ++whole;
    }
    const QString digits = QString::number(whole).rightJustified(8, u'0');
    return negative && whole != 0 ? u'-' + digits : digits;
}

void checkFormatting(const QString &text) {
    const QString formatted = formatEightDigits(text);
    require(formatted == text || formattedNumber(formatted),
            "formatting gave neither the text unchanged nor a number",
            [&] { return show(text) + " -> " + show(formatted); });
    require(formatEightDigits(formatted) == formatted, "formatting twice changes the text", [&] {
        return show(text) + " -> " + show(formatted) + " -> " + show(formatEightDigits(formatted));
    });
    if (const auto expected = plainEightDigits(text)) {
        require(formatted == *expected, "plain decimal formatted wrongly", [&] {
            return show(text) + " -> " + show(formatted) + ", expected " + show(*expected);
        });
        const QString padded = QStringLiteral(" \t") + text + QStringLiteral(" ");
        require(formatEightDigits(padded) == *expected, "blanks around a number change it",
                [&] { return show(padded) + " -> " + show(formatEightDigits(padded)); });
    }
}

void checkAlarmCase(const QString &idText, const QString &codeText) {
    checkFormatting(idText);
    checkFormatting(codeText);
    const AlarmCheck check = checkAlarm(idText, codeText);
    const auto detail = [&] {
        return show(idText) + " " + show(codeText) + " -> " + show(check.id) + " " +
               show(check.code) + " " + show(check.error);
    };
    require(check.id == formatEightDigits(idText), "alarm id is not the formatted text", detail);
    require(isEightDigits(check.id) == eightAsciiDigits(check.id), "isEightDigits is wrong",
            detail);
    if (!eightAsciiDigits(check.id)) {
        require(check.error == kIdRange, "a bad id is not refused as the id", detail);
        return;
    }
    require(check.code == formatEightDigits(codeText), "alarm code is not the formatted text",
            detail);
    if (!eightAsciiDigits(check.code)) {
        require(check.error == kCodeRange, "a bad code is not refused as the code", detail);
        return;
    }
    require(check.ok(), "eight-digit id and code refused", detail);
    const QByteArray frame = frames::testAlarm(check.id.toLatin1(), check.code.toLatin1());
    require(frame.size() == 22 && frame == "TAV@21" + check.id.toLatin1() + check.code.toLatin1(),
            "test-alarm frame is not TAV@21 + id + code",
            [&] { return detail() + " " + show(frame); });
    require(!carriesAnotherFrame(frame), "an accepted test-alarm frame carries another frame",
            [&] { return detail() + " " + show(frame); });
}

// A whole number as the historic boxes take it: blanks around, optional sign,
// ASCII digits. Magnitudes past a million are held as a million (all refused).
std::optional<qint64> boxNumber(const QString &text) {
    const QString s = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    if (i == s.size()) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (; i < s.size(); ++i) {
        if (!asciiDigit(s[i])) {
            return std::nullopt;
        }
        value = std::min<qint64>(1'000'000, value * 10 + (s[i].unicode() - '0'));
    }
    return negative ? -value : value;
}

void checkHistoricCase(const HistoricBoxes &boxes) {
    const HistoricCheck check = checkHistoric(boxes);
    frames::HourStamp from{}, to{};
    struct Box {
        const QString &text;
        const char16_t *name;
        int min, max;
        int &target;
    };
    const Box order[] = {
        {boxes.hour1, u"Desde Hora", 0, 255, from.hour},
        {boxes.day1, u"Desde D\u00EDa", 0, 255, from.day},
        {boxes.month1, u"Desde Mes", 0, 255, from.month},
        {boxes.year1, u"Desde A\u00F1o", 2000, 2255, from.year},
        {boxes.hour2, u"Hasta Hora", 0, 255, to.hour},
        {boxes.day2, u"Hasta D\u00EDa", 0, 255, to.day},
        {boxes.month2, u"Hasta Mes", 0, 255, to.month},
        {boxes.year2, u"Hasta A\u00F1o", 2000, 2255, to.year},
    };
    QString expectedError;
    if (const auto hour2 = boxNumber(boxes.hour2); hour2 && *hour2 > 23) {
        expectedError = kMaxHour;
    } else {
        for (const Box &box : order) {
            const auto value = boxNumber(box.text);
            if (!value || *value < box.min || *value > box.max) {
                expectedError =
                    QStringLiteral("Valor no v\u00E1lido en ") + QString::fromUtf16(box.name) +
                    QStringLiteral(": debe ser un n\u00FAmero entero entre ") +
                    QString::number(box.min) + QStringLiteral(" y ") + QString::number(box.max);
                break;
            }
            box.target = static_cast<int>(*value);
        }
    }
    if (expectedError.isEmpty()) {
        // The boxes' bytes in the frame's order; the first of "TAV@" names its box.
        const std::pair<int, const char16_t *> bytes[] = {
            {from.year - 2000, u"Desde A\u00F1o"}, {from.month, u"Desde Mes"},
            {from.day, u"Desde D\u00EDa"},         {from.hour, u"Desde Hora"},
            {to.year - 2000, u"Hasta A\u00F1o"},   {to.month, u"Hasta Mes"},
            {to.day, u"Hasta D\u00EDa"},           {to.hour, u"Hasta Hora"}};
        for (int i = 0; i + 4 <= 8; ++i) {
            if (bytes[i].first == 'T' && bytes[i + 1].first == 'A' && bytes[i + 2].first == 'V' &&
                bytes[i + 3].first == '@') {
                expectedError = anotherCommandIn(QString::fromUtf16(bytes[i].second));
                break;
            }
        }
    }
    const auto detail = [&] {
        std::string out;
        for (const Box &box : order) {
            out += show(box.text) + " ";
        }
        return out + "-> " + show(check.error);
    };
    require(check.error == expectedError, "historic check gives the wrong message",
            [&] { return detail() + ", expected " + show(expectedError); });
    if (!check.ok()) {
        const frames::HourStamp zero{};
        for (const auto *stamp : {&check.from, &check.to}) {
            require(stamp->year == zero.year && stamp->month == zero.month &&
                        stamp->day == zero.day && stamp->hour == zero.hour,
                    "refused historic boxes left numbers behind", detail);
        }
        return;
    }
    require(check.from.hour == from.hour && check.from.day == from.day &&
                check.from.month == from.month && check.from.year == from.year &&
                check.to.hour == to.hour && check.to.day == to.day && check.to.month == to.month &&
                check.to.year == to.year && to.hour <= 23,
            "historic check read other numbers than the boxes hold", detail);
    const QByteArray frame = frames::historic(check.from, check.to);
    QByteArray expected("TAV@23");
    for (const int value : {from.year - 2000, from.month, from.day, from.hour, to.year - 2000,
                            to.month, to.day, to.hour}) {
        expected.append(static_cast<char>(static_cast<unsigned char>(value)));
    }
    require(frame.size() == 14 && frame == expected, "historic frame has the wrong bytes",
            [&] { return detail() + " " + show(frame) + ", expected " + show(expected); });
    require(!carriesAnotherFrame(frame), "an accepted historic frame carries another frame",
            [&] { return detail() + " " + show(frame); });
}

// A checked frame: the builder's frame when it carries no other, else refused with the
// field the reference names, and nothing left to send.
void checkFrameRefusal(const char *what, const FrameCheck &check, const QByteArray &built,
                       const QString &field, const std::function<std::string()> &detail) {
    const auto more = [&] {
        return std::string(what) + ": " + detail() + " -> " + show(check.frame) + " " +
               show(check.error);
    };
    if (!carriesAnotherFrame(built)) {
        require(check.ok() && check.frame == built, "a frame without TAV@ was changed or refused",
                more);
        return;
    }
    require(!check.ok() && check.frame.isEmpty(), "a frame carrying another frame was accepted",
            more);
    require(check.error == anotherCommandIn(field), "the refusal names the wrong field",
            [&] { return more() + ", expected " + show(field); });
}

// Windows-1252 as the C library's converter has it, taken as the reference. The
// five bytes it leaves undefined stand for the C1 control of the same value.
const std::array<char16_t, 256> &codePage() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> page{};
        const iconv_t converter = iconv_open("UTF-16LE", "CP1252");
        require(converter != reinterpret_cast<iconv_t>(-1), "the C library has no CP1252");
        for (int b = 0; b < 256; ++b) {
            char in = static_cast<char>(b);
            char out[4];
            char *inAt = &in;
            char *outAt = out;
            std::size_t inLeft = 1;
            std::size_t outLeft = sizeof out;
            if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) ==
                static_cast<std::size_t>(-1)) {
                require(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D,
                        "the C library's CP1252 lacks a defined byte");
                page[b] = static_cast<char16_t>(b);
                iconv(converter, nullptr, nullptr, nullptr, nullptr);
            } else {
                require(outLeft == 2, "the C library's CP1252 gave more than one unit");
                page[b] = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                                static_cast<unsigned char>(out[1]) << 8);
            }
        }
        iconv_close(converter);
        return page;
    }();
    return table;
}

// Every byte decodes to its code-page character, which encodes back to it.
void checkBytesRoundTrip(const QByteArray &bytes) {
    const QString display = text8::toDisplay(bytes);
    require(display.size() == bytes.size(), "decoding changed the length",
            [&] { return show(bytes); });
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        require(display[i].unicode() == codePage()[byte], "a byte decodes to the wrong character",
                [&] { return show(bytes.sliced(i, 1)) + " -> " + show(QString(display[i])); });
    }
    const text8::Encoded back = text8::fromDisplay(display);
    require(back.ok() && back.bytes == bytes, "decoded bytes do not encode back",
            [&] { return show(bytes) + " -> " + show(display) + " -> " + show(back.bytes); });
}

const QString &allDecoded() {
    static const QString all = [] {
        QString every;
        for (const char16_t ch : codePage()) {
            every.append(QChar(ch));
        }
        return every;
    }();
    return all;
}

// Operator text to bytes: either every character maps and the bytes decode
// back to the text, or the first character that has no byte is named.
std::optional<QByteArray> checkTextRoundTrip(const QString &text) {
    const text8::Encoded encoded = text8::fromDisplay(text);
    if (encoded.ok()) {
        require(encoded.bytes.size() == text.size(), "encoding changed the length",
                [&] { return show(text); });
        require(text8::toDisplay(encoded.bytes) == text, "encoded text does not decode back",
                [&] { return show(text) + " -> " + show(encoded.bytes); });
        return encoded.bytes;
    }
    const QChar bad = *encoded.unmappable;
    const qsizetype at = text.indexOf(bad);
    require(encoded.bytes.isEmpty(), "refused text still gave bytes", [&] { return show(text); });
    require(at >= 0, "the refused character is not in the text", [&] { return show(text); });
    require(!allDecoded().contains(bad), "a character of the code page was refused",
            [&] { return show(text) + " refused " + show(QString(bad)); });
    require(text8::fromDisplay(text.first(at)).ok(), "the refused character is not the first",
            [&] { return show(text) + " refused " + show(QString(bad)); });
    return std::nullopt;
}

void checkBuilders(const QByteArray &a, const QByteArray &b, const QByteArray &c, int code) {
    const QByteArray command = frames::command(code);
    require(command.size() == 6 && command.startsWith("TAV@") &&
                command.sliced(4) == QByteArray::number(code).rightJustified(2, '0'),
            "command frame is not TAV@ + two digits",
            [&] { return std::to_string(code) + " " + show(command); });

    const QByteArray parameter = frames::parameter(a, b);
    require(parameter.startsWith("TAV@04") && parameter.size() == 7 + a.size() + b.size() &&
                parameter.sliced(6, a.size()) == a && parameter[6 + a.size()] == ':' &&
                parameter.sliced(7 + a.size()) == b,
            "parameter frame is not TAV@04 + name + ':' + value",
            [&] { return show(a) + " " + show(b) + " -> " + show(parameter); });

    const QByteArray linuxFrame = frames::linuxCommand(a);
    require(linuxFrame.startsWith("TAV@22") && linuxFrame.sliced(6) == a,
            "Linux command frame is not TAV@22 + line",
            [&] { return show(a) + " -> " + show(linuxFrame); });

    const QByteArray ftp = frames::ftpAccount(a, b, c);
    const QByteArray expectedFtp =
        a.isEmpty() ? QByteArray("TAV@10") : "TAV@10" + a + ':' + b + '@' + c;
    require(ftp == expectedFtp, "FTP account frame is wrong",
            [&] { return show(a) + " " + show(b) + " " + show(c) + " -> " + show(ftp); });

    // The fields in the frame's order, each with the separator after it: the first one
    // that holds "TAV@" is the one named.
    const auto first = [](std::initializer_list<std::pair<QByteArray, const char16_t *>> fields) {
        for (const auto &[bytes, name] : fields) {
            if (bytes.contains("TAV@")) {
                return QString::fromUtf16(name);
            }
        }
        return QString();
    };
    checkFrameRefusal("parameter", checkParameter(a, b), parameter,
                      first({{a + ':', u"Par\u00E1meter"}, {b, u"Value"}}),
                      [&] { return show(a) + " " + show(b); });
    checkFrameRefusal("Linux command", checkLinuxCommand(a), linuxFrame, first({{a, u"Comand"}}),
                      [&] { return show(a); });
    checkFrameRefusal("FTP account", checkFtpAccount(a, b, c), ftp,
                      first({{a + ':', u"User"}, {b + '@', u"Password"}, {c, u"Server"}}),
                      [&] { return show(a) + " " + show(b) + " " + show(c); });
}

void checkClockSync(qint64 msecs, int offsetSeconds) {
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msecs, Qt::OffsetFromUTC, offsetSeconds);
    const std::optional<QByteArray> frame = frames::clockSync(at);
    // The civil UTC date and time of the instant, counted by the standard library.
    using namespace std::chrono;
    const sys_time<milliseconds> instant{milliseconds(msecs)};
    const auto day = floor<days>(instant);
    const year_month_day date{day};
    const hh_mm_ss<milliseconds> time{instant - day};
    const int year = static_cast<int>(date.year());
    const auto detail = [&] {
        return std::to_string(msecs) + " ms, offset " + std::to_string(offsetSeconds) +
               " s, year " + std::to_string(year);
    };
    if (year < 2000 || year > 2255) {
        require(!frame.has_value(), "clock sync built for a year one byte cannot hold", detail);
        return;
    }
    require(frame.has_value(), "clock sync refused a year one byte can hold", detail);
    QByteArray expected("TAV@41");
    for (const int value :
         {year - 2000, static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())}) {
        expected.append(static_cast<char>(static_cast<unsigned char>(value)));
    }
    require(*frame == expected, "clock sync frame has the wrong bytes",
            [&] { return detail() + " " + show(*frame) + ", expected " + show(expected); });
    require(!carriesAnotherFrame(*frame), "a clock sync frame carries another frame",
            [&] { return detail() + " " + show(*frame); });
}

class Input {
public:
    Input(const std::uint8_t *data, std::size_t size) : m_provider(data, size) {
        m_encoding = static_cast<Encoding>(m_provider.ConsumeIntegralInRange(0, 2));
    }

    QByteArray bytes() {
        const std::string s = m_provider.ConsumeRandomLengthString(256);
        return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
    }

    // Operator text as a dialog box would hand it over.
    QString text() {
        const QByteArray raw = bytes();
        if (m_encoding == Encoding::Utf8) {
            return QString::fromUtf8(raw);
        }
        if (m_encoding == Encoding::Latin1) {
            return QString::fromLatin1(raw);
        }
        // Copied out, as the bytes need not be aligned for char16_t.
        std::vector<char16_t> units(static_cast<std::size_t>(raw.size() / 2));
        if (!units.empty()) {
            std::memcpy(units.data(), raw.constData(), units.size() * sizeof(char16_t));
        }
        return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
    }

    // A box text: as typed, or a number near the accepted range written with
    // optional sign, leading zeros and blanks, so the checks' inner paths are reached.
    QString boxText() {
        if (!m_provider.ConsumeBool()) {
            return text();
        }
        const int value = m_provider.ConsumeIntegralInRange(-30, 2300);
        const int zeros = m_provider.ConsumeIntegralInRange(0, 2);
        QString out = QString(zeros, u'0') + QString::number(std::abs(value));
        if (value < 0) {
            out.prepend(u'-');
        } else if (m_provider.ConsumeBool()) {
            out.prepend(u'+');
        }
        return m_provider.ConsumeBool() ? QStringLiteral(" ") + out + QStringLiteral("\t") : out;
    }

    template <typename T> T number(T min, T max) {
        return m_provider.ConsumeIntegralInRange(min, max);
    }

private:
    enum class Encoding { Utf8, Utf16, Latin1 };
    FuzzedDataProvider m_provider;
    Encoding m_encoding = Encoding::Utf8;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input input(data, size);

    const QString id = input.text();
    const QString code = input.text();
    checkAlarmCase(id, code);

    HistoricBoxes boxes;
    for (QString *box : {&boxes.hour1, &boxes.day1, &boxes.month1, &boxes.year1, &boxes.hour2,
                         &boxes.day2, &boxes.month2, &boxes.year2}) {
        *box = input.boxText();
    }
    checkHistoricCase(boxes);

    // Operator text and raw bytes both reach the frame builders.
    const QString line = input.text();
    const std::optional<QByteArray> encoded = checkTextRoundTrip(line);
    const QByteArray raw = input.bytes(); // stands in for a refused line
    const QByteArray lineBytes = encoded ? *encoded : raw;
    const QByteArray second = input.bytes();
    const QByteArray third = input.bytes();
    checkBytesRoundTrip(lineBytes);
    checkBytesRoundTrip(second);
    checkBuilders(lineBytes, second, third, input.number(0, 99));

    // Instants from year 1 to 9999, handed over in any fixed offset of up to 14 hours.
    checkClockSync(input.number<qint64>(-62135596800000LL, 253402300799999LL),
                   input.number(-14 * 3600, 14 * 3600));
    // And instants the frame can carry, from 2000 to the end of 2255.
    checkClockSync(input.number<qint64>(946684800000LL, 9025257599999LL),
                   input.number(-14 * 3600, 14 * 3600));
    require(!frames::clockSync(QDateTime()).has_value(), "clock sync built for an invalid instant");
    return 0;
}
