#include "commands/argumentchecks.h"
#include "commands/frames.h"

#include <gtest/gtest.h>

#include <functional>

using argumentchecks::checkAlarm;
using argumentchecks::checkFtpAccount;
using argumentchecks::checkHistoric;
using argumentchecks::checkLinuxCommand;
using argumentchecks::checkParameter;
using argumentchecks::formatEightDigits;
using argumentchecks::FrameCheck;
using argumentchecks::HistoricBoxes;
using argumentchecks::isEightDigits;

namespace {

const QString kIdMessage = QStringLiteral("Id debe ser entre 0 y 99999999");
const QString kCodeMessage = QStringLiteral("Alarma debe ser entre 0 y 99999999");

QString anotherCommandIn(const char *field) {
    return QStringLiteral("The field \"%1\" would send \"TAV@\", which the logger takes for "
                          "the start of another command; nothing was sent")
        .arg(QString::fromUtf8(field));
}

} // namespace

TEST(ArgumentChecks, FormatsNumbersWithEightDigits) {
    const struct {
        QString text;
        QString formatted;
    } cases[] = {
        {"7", "00000007"},
        {"0", "00000000"},
        {"007", "00000007"},
        {"+7", "00000007"},
        {" 7 ", "00000007"},
        {"\t7\n", "00000007"},
        {"12.4", "00000012"},
        {"12.5", "00000013"},
        {"12.6", "00000013"},
        {"-12.5", "-00000013"},
        {"-1", "-00000001"},
        {"-0", "00000000"},
        {"-0.4", "00000000"},
        {"-0.5", "-00000001"},
        {".5", "00000001"},
        {"5.", "00000005"},
        {"0.49999999999999999", "00000000"},
        {"99999999", "99999999"},
        {"99999999.4", "99999999"},
        {"99999999.5", "100000000"},
        {"100000000", "100000000"},
        {"12345678901234567890", "12345678901234567890"},
        {"1e3", "00001000"},
        {"1E3", "00001000"},
        {"1.5e1", "00000015"},
        {"125e-1", "00000013"},
        {"1e+2", "00000100"},
        {"1e-3", "00000000"},
        {"5e-1", "00000001"},
        {"0e999999999999999999999", "00000000"},
        {"-1e-99999999999999999999", "00000000"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(formatEightDigits(c.text), c.formatted) << c.text.toStdString();
    }
}

TEST(ArgumentChecks, LeavesNonNumbersUnchanged) {
    const QString cases[] = {
        "",
        " ",
        "abc",
        "inf",
        "-inf",
        "infinity",
        "nan",
        "NaN",
        "0x10",
        "1,5",
        "1e",
        "e3",
        ".",
        "-",
        "+",
        "1 2",
        "12a",
        "1.2.3",
        "--1",
        "+-1",
        "1e3.5",
        "1e 3",
        "- 1",
        "1e400",
        "1.8e308",
        QString(QChar(0x0663)),
        QString(QChar(0xFF11)),
    };
    for (const QString &text : cases) {
        EXPECT_EQ(formatEightDigits(text), text) << text.toStdString();
    }
}

TEST(ArgumentChecks, HugeNumbersAreWrittenInFull) {
    const QString big = formatEightDigits("1e300");
    EXPECT_EQ(big, "1" + QString(300, u'0'));
    // The largest double is still a number: 309 digits.
    const QString largest = formatEightDigits("1.7976931348623157e308");
    EXPECT_EQ(largest.size(), 309);
    EXPECT_TRUE(largest.startsWith("17976931348623157"));
}

TEST(ArgumentChecks, EightDigitsExactly) {
    const struct {
        QString text;
        bool eight;
    } cases[] = {
        {"00000000", true},  {"99999999", true},
        {"1234567", false},  {"123456789", false},
        {"1234567a", false}, {"-0000001", false},
        {"", false},         {" 1234567", false},
        {"1234567 ", false}, {QString(QChar(0xFF11)) + "2345678", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(isEightDigits(c.text), c.eight) << c.text.toStdString();
    }
}

TEST(ArgumentChecks, AlarmCheck) {
    const struct {
        QString id, code;
        QString sentId, sentCode, error;
    } cases[] = {
        {"99999999", "0", "99999999", "00000000", ""},
        {"12", "3", "00000012", "00000003", ""},
        {"12.6", "3", "00000013", "00000003", ""},
        {"12.5", "3", "00000013", "00000003", ""},
        {"-0.4", "0", "00000000", "00000000", ""},
        {" 7 ", "7", "00000007", "00000007", ""},
        {"1e3", "1", "00001000", "00000001", ""},
        // The id is checked first; a refused id leaves the code unchecked.
        {"100000000", "1", "100000000", "", kIdMessage},
        {"-1", "1", "-00000001", "", kIdMessage},
        {"abc", "1", "abc", "", kIdMessage},
        {"", "", "", "", kIdMessage},
        {"inf", "1", "inf", "", kIdMessage},
        {"nan", "1", "nan", "", kIdMessage},
        {"0x10", "1", "0x10", "", kIdMessage},
        {"abc", "100000000", "abc", "", kIdMessage},
        {"1", "abc", "00000001", "abc", kCodeMessage},
        {"1", "", "00000001", "", kCodeMessage},
        {"1", "100000000", "00000001", "100000000", kCodeMessage},
        {"1", "-1", "00000001", "-00000001", kCodeMessage},
        {"1", "99999999.5", "00000001", "100000000", kCodeMessage},
    };
    for (const auto &c : cases) {
        const auto check = checkAlarm(c.id, c.code);
        const std::string label = (c.id + "/" + c.code).toStdString();
        EXPECT_EQ(check.id, c.sentId) << label;
        EXPECT_EQ(check.code, c.sentCode) << label;
        EXPECT_EQ(check.error, c.error) << label;
        EXPECT_EQ(check.ok(), c.error.isEmpty()) << label;
    }
}

TEST(ArgumentChecks, CheckedAlarmMakesTheTwentyTwoByteFrame) {
    const auto check = checkAlarm("12", "3");
    ASSERT_TRUE(check.ok());
    const QByteArray frame = frames::testAlarm(check.id.toLatin1(), check.code.toLatin1());
    EXPECT_EQ(frame, QByteArray("TAV@210000001200000003"));
    EXPECT_EQ(frame.size(), 22);
}

TEST(ArgumentChecks, HistoricAcceptsTheDialogsInitialValues) {
    // The dialog opened on 7 March 2019 at 14:25.
    const HistoricBoxes boxes{"0", "7", "3", "2019", "14", "7", "3", "2019"};
    const auto check = checkHistoric(boxes);
    ASSERT_TRUE(check.ok()) << check.error.toStdString();
    EXPECT_EQ(check.from.year, 2019);
    EXPECT_EQ(check.from.month, 3);
    EXPECT_EQ(check.from.day, 7);
    EXPECT_EQ(check.from.hour, 0);
    EXPECT_EQ(check.to.year, 2019);
    EXPECT_EQ(check.to.month, 3);
    EXPECT_EQ(check.to.day, 7);
    EXPECT_EQ(check.to.hour, 14);
    EXPECT_EQ(frames::historic(check.from, check.to),
              QByteArray("TAV@23\x13\x03\x07\x00\x13\x03\x07\x0E", 14));
}

TEST(ArgumentChecks, HistoricCheck) {
    const auto bad = [](const char *box, int min, int max) {
        return QStringLiteral("Valor no válido en %1: debe ser un número entero entre %2 y %3")
            .arg(QString::fromUtf8(box))
            .arg(min)
            .arg(max);
    };
    const QString maxHour = QStringLiteral("Hora máxima 23");
    const struct {
        const char *label;
        std::function<void(HistoricBoxes &)> edit;
        QString error;
    } cases[] = {
        {"to-hour 24", [](HistoricBoxes &b) { b.hour2 = "24"; }, maxHour},
        {"to-hour 255", [](HistoricBoxes &b) { b.hour2 = "255"; }, maxHour},
        {"to-hour huge", [](HistoricBoxes &b) { b.hour2 = " 99999999999999999999 "; }, maxHour},
        {"to-hour before other boxes",
         [](HistoricBoxes &b) {
             b.hour2 = "24";
             b.hour1 = "x";
             b.year1 = "1999";
         },
         maxHour},
        {"to-hour 23", [](HistoricBoxes &b) { b.hour2 = "23"; }, ""},
        {"to-hour 24.0", [](HistoricBoxes &b) { b.hour2 = "24.0"; }, bad("Hasta Hora", 0, 255)},
        {"to-hour -5", [](HistoricBoxes &b) { b.hour2 = "-5"; }, bad("Hasta Hora", 0, 255)},
        {"from-hour 30", [](HistoricBoxes &b) { b.hour1 = "30"; }, ""},
        {"from-hour 255", [](HistoricBoxes &b) { b.hour1 = "255"; }, ""},
        {"from-hour 256", [](HistoricBoxes &b) { b.hour1 = "256"; }, bad("Desde Hora", 0, 255)},
        {"from-hour -1", [](HistoricBoxes &b) { b.hour1 = "-1"; }, bad("Desde Hora", 0, 255)},
        {"from-day abc", [](HistoricBoxes &b) { b.day1 = "abc"; }, bad("Desde Día", 0, 255)},
        {"from-day 7.5", [](HistoricBoxes &b) { b.day1 = "7.5"; }, bad("Desde Día", 0, 255)},
        {"from-day blanks and sign", [](HistoricBoxes &b) { b.day1 = " +7 "; }, ""},
        {"to-day empty", [](HistoricBoxes &b) { b.day2 = ""; }, bad("Hasta Día", 0, 255)},
        {"from-month -3", [](HistoricBoxes &b) { b.month1 = "-3"; }, bad("Desde Mes", 0, 255)},
        {"to-month -3", [](HistoricBoxes &b) { b.month2 = "-3"; }, bad("Hasta Mes", 0, 255)},
        {"from-year 1999", [](HistoricBoxes &b) { b.year1 = "1999"; },
         bad("Desde Año", 2000, 2255)},
        {"from-year 19", [](HistoricBoxes &b) { b.year1 = "19"; }, bad("Desde Año", 2000, 2255)},
        {"to-year 2256", [](HistoricBoxes &b) { b.year2 = "2256"; }, bad("Hasta Año", 2000, 2255)},
        {"years at both ends",
         [](HistoricBoxes &b) {
             b.year1 = "2000";
             b.year2 = "2255";
         },
         ""},
        {"first bad box wins (from)",
         [](HistoricBoxes &b) {
             b.day1 = "x";
             b.hour1 = "x";
         },
         bad("Desde Hora", 0, 255)},
        // Bytes 'T', 'A', 'V', '@' are 84, 65, 86 and 64.
        {"TAV@ in the from stamp",
         [](HistoricBoxes &b) {
             b.year1 = "2084";
             b.month1 = "65";
             b.day1 = "86";
             b.hour1 = "64";
         },
         anotherCommandIn("Desde Año")},
        {"TAV@ across both stamps",
         [](HistoricBoxes &b) {
             b.hour1 = "84";
             b.year2 = "2065";
             b.month2 = "86";
             b.day2 = "64";
         },
         anotherCommandIn("Desde Hora")},
        {"TAV without @",
         [](HistoricBoxes &b) {
             b.year1 = "2084";
             b.month1 = "65";
             b.day1 = "86";
         },
         ""},
        {"first bad box wins (to)",
         [](HistoricBoxes &b) {
             b.year2 = "x";
             b.day2 = "x";
         },
         bad("Hasta Día", 0, 255)},
    };
    for (const auto &c : cases) {
        HistoricBoxes boxes{"0", "7", "3", "2019", "14", "7", "3", "2019"};
        c.edit(boxes);
        const auto check = checkHistoric(boxes);
        EXPECT_EQ(check.error, c.error) << c.label;
        EXPECT_EQ(check.ok(), c.error.isEmpty()) << c.label;
        if (!check.ok()) {
            EXPECT_EQ(check.from.year, 0) << c.label;
            EXPECT_EQ(check.to.hour, 0) << c.label;
        }
    }
}

TEST(ArgumentChecks, HistoricValuesReachTheFrame) {
    const HistoricBoxes boxes{" 30 ", "13", "10", "2000", "10", "255", "0", "2255"};
    const auto check = checkHistoric(boxes);
    ASSERT_TRUE(check.ok()) << check.error.toStdString();
    EXPECT_EQ(frames::historic(check.from, check.to),
              QByteArray("TAV@23\x00\x0A\x0D\x1E\xFF\x00\xFF\x0A", 14));
}

TEST(ArgumentChecks, FramesThatWouldCarryAnotherCommandAreRefusedByField) {
    const struct {
        const char *label;
        FrameCheck check;
        QByteArray frame;
        QString error;
    } cases[] = {
        {"parameter", checkParameter("LEVEL", "5"), "TAV@04LEVEL:5", ""},
        {"parameter name", checkParameter("xTAV@05", "5"), "", anotherCommandIn("Parámeter")},
        {"parameter value", checkParameter("LEVEL", "TAV@05"), "", anotherCommandIn("Value")},
        {"both: the name is named", checkParameter("TAV@05", "TAV@05"), "",
         anotherCommandIn("Parámeter")},
        {"name ending in TAV: the colon follows", checkParameter("xTAV", "@05"), "TAV@04xTAV:@05",
         ""},
        {"ftp account", checkFtpAccount("user", "pw", "ftp.x"), "TAV@10user:pw@ftp.x", ""},
        {"ftp password as the list gave it", checkFtpAccount("user", "pwTAV@05secret", "ftp.x"), "",
         anotherCommandIn("Password")},
        {"ftp password ending in TAV, then its @", checkFtpAccount("user", "pwTAV", "05x"), "",
         anotherCommandIn("Password")},
        {"ftp user", checkFtpAccount("uTAV@05", "pw", "s"), "", anotherCommandIn("User")},
        {"ftp user ending in TAV: the colon follows", checkFtpAccount("uTAV", "@x", "s"),
         "TAV@10uTAV:@x@s", ""},
        {"ftp server", checkFtpAccount("u", "pw", "TAV@05"), "", anotherCommandIn("Server")},
        {"ftp without user sends the code alone", checkFtpAccount("", "TAV@05", "TAV@05"), "TAV@10",
         ""},
        {"linux command", checkLinuxCommand("ls; TAV@05"), "", anotherCommandIn("Comand")},
        {"linux command that is a frame", checkLinuxCommand("TAV@05"), "",
         anotherCommandIn("Comand")},
        {"AV@ after the code is no frame", checkLinuxCommand("AV@05"), "TAV@22AV@05", ""},
        {"lower case is no frame", checkLinuxCommand("echo tav@05 TAV 05"),
         "TAV@22echo tav@05 TAV 05", ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.check.frame, c.frame) << c.label;
        EXPECT_EQ(c.check.error, c.error) << c.label;
        EXPECT_EQ(c.check.ok(), c.error.isEmpty()) << c.label;
    }
}
