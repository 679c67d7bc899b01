#include "base/clock.h"
#include "commands/frames.h"
#include "commands/utctime.h"

#include <QTimeZone>
#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// A frame's text part followed by raw bytes holding the given numbers.
QByteArray withBytes(const char *text, std::initializer_list<int> numbers) {
    QByteArray out(text);
    for (int n : numbers) {
        out.append(static_cast<char>(static_cast<unsigned char>(n)));
    }
    return out;
}

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime now) : m_now(std::move(now)) {}
    qint64 tenths() const override { return 0; }
    QDateTime nowUtc() const override { return m_now; }

private:
    QDateTime m_now;
};

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

} // namespace

TEST(Frames, FixedCommandsAreSixBytesWithLeadingZero) {
    const struct {
        int code;
        const char *frame;
    } cases[] = {{1, "TAV@01"},  {2, "TAV@02"},  {3, "TAV@03"},  {5, "TAV@05"},  {7, "TAV@07"},
                 {8, "TAV@08"},  {9, "TAV@09"},  {11, "TAV@11"}, {12, "TAV@12"}, {13, "TAV@13"},
                 {14, "TAV@14"}, {15, "TAV@15"}, {16, "TAV@16"}, {17, "TAV@17"}, {18, "TAV@18"},
                 {30, "TAV@30"}, {31, "TAV@31"}, {42, "TAV@42"}, {43, "TAV@43"}, {44, "TAV@44"}};
    for (const auto &c : cases) {
        const QByteArray frame = frames::command(c.code);
        EXPECT_EQ(frame, QByteArray(c.frame)) << c.code;
        EXPECT_EQ(frame.size(), 6) << c.code;
    }
}

TEST(Frames, EveryCodeFrom01To44HasTwoDigits) {
    for (int code = 1; code <= 44; ++code) {
        const QByteArray expected =
            QStringLiteral("TAV@%1").arg(code, 2, 10, QLatin1Char('0')).toLatin1();
        EXPECT_EQ(frames::command(code), expected) << code;
    }
}

TEST(Frames, ParameterJoinsNameAndValueWithOneColon) {
    const struct {
        const char *name;
        const char *value;
        const char *frame;
    } cases[] = {
        {"LEVEL", "5", "TAV@04LEVEL:5"},
        {"", "", "TAV@04:"},
        {" A ", " 1:2 ", "TAV@04 A : 1:2 "},
        {"NAME", "", "TAV@04NAME:"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(frames::parameter(c.name, c.value), QByteArray(c.frame)) << c.frame;
    }
    EXPECT_EQ(frames::parameter("Ciudad", "Espa\xF1"
                                          "a"),
              QByteArray("TAV@04Ciudad:Espa\xF1"
                         "a"));
}

TEST(Frames, FtpAccount) {
    const struct {
        const char *user;
        const char *pass;
        const char *server;
        const char *frame;
    } cases[] = {
        {"tav", "secret", "ftp.example.com", "TAV@10tav:secret@ftp.example.com"},
        {"", "secret", "ftp.example.com", "TAV@10"},
        {"", "", "", "TAV@10"},
        {"user", "", "", "TAV@10user:@"},
        {"a:b@c", "p@ss:w", "10.0.0.1", "TAV@10a:b@c:p@ss:w@10.0.0.1"},
        {" u ", " p ", " s ", "TAV@10 u : p @ s "},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(frames::ftpAccount(c.user, c.pass, c.server), QByteArray(c.frame)) << c.frame;
    }
}

TEST(Frames, TestAlarmAndLinuxCommandAddNothing) {
    const QByteArray alarm = frames::testAlarm("00000012", "00000003");
    EXPECT_EQ(alarm, QByteArray("TAV@210000001200000003"));
    EXPECT_EQ(alarm.size(), 22);
    EXPECT_EQ(frames::testAlarm("", ""), QByteArray("TAV@21"));

    const QByteArray ls = frames::linuxCommand("ls -l");
    EXPECT_EQ(ls, QByteArray("TAV@22ls -l"));
    EXPECT_EQ(ls.size(), 11);
    EXPECT_EQ(frames::linuxCommand(""), QByteArray("TAV@22"));
    EXPECT_EQ(frames::linuxCommand("  echo \"a b\"  "), QByteArray("TAV@22  echo \"a b\"  "));
}

TEST(Frames, HistoricIsFourteenRawBytes) {
    const struct {
        frames::HourStamp from, to;
        QByteArray frame;
    } cases[] = {
        {{2019, 3, 7, 0}, {2019, 3, 7, 14}, withBytes("TAV@23", {19, 3, 7, 0, 19, 3, 7, 14})},
        // 10 and 13 must come out as the bytes LF and CR, untouched.
        {{2010, 10, 13, 10},
         {2013, 13, 10, 13},
         withBytes("TAV@23", {10, 10, 13, 10, 13, 13, 10, 13})},
        {{2000, 0, 0, 30},
         {2255, 255, 255, 255},
         withBytes("TAV@23", {0, 0, 0, 30, 255, 255, 255, 255})},
    };
    for (const auto &c : cases) {
        const QByteArray frame = frames::historic(c.from, c.to);
        EXPECT_EQ(frame, c.frame) << frame.toHex().constData();
        EXPECT_EQ(frame.size(), 14);
    }
    EXPECT_EQ(frames::historic({2010, 10, 13, 10}, {2013, 13, 10, 13}).mid(6),
              QByteArray("\n\n\r\n\r\r\n\r"));
}

TEST(Frames, ClockSyncIsTwelveRawBytes) {
    const struct {
        QDateTime at;
        QByteArray frame;
    } cases[] = {
        {utc(2019, 3, 7, 13, 25, 30), withBytes("TAV@41", {19, 3, 7, 13, 25, 30})},
        {utc(2019, 6, 30, 22, 30, 0), withBytes("TAV@41", {19, 6, 30, 22, 30, 0})},
        {utc(2010, 10, 13, 10, 13, 10), withBytes("TAV@41", {10, 10, 13, 10, 13, 10})},
        {utc(2000, 1, 1, 0, 0, 0), withBytes("TAV@41", {0, 1, 1, 0, 0, 0})},
        {utc(2255, 12, 31, 23, 59, 59), withBytes("TAV@41", {255, 12, 31, 23, 59, 59})},
        // An instant handed over with an offset is still sent in UTC.
        {QDateTime(QDate(2019, 3, 7), QTime(14, 25, 30), Qt::OffsetFromUTC, 3600),
         withBytes("TAV@41", {19, 3, 7, 13, 25, 30})},
    };
    for (const auto &c : cases) {
        const auto frame = frames::clockSync(c.at);
        ASSERT_TRUE(frame.has_value()) << c.at.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(*frame, c.frame) << frame->toHex().constData();
        EXPECT_EQ(frame->size(), 12);
    }
}

TEST(Frames, ClockSyncRefusesYearsOutsideOneByte) {
    EXPECT_FALSE(frames::clockSync(utc(1999, 12, 31, 23, 59, 59)).has_value());
    EXPECT_FALSE(frames::clockSync(utc(2256, 1, 1, 0, 0, 0)).has_value());
    EXPECT_FALSE(frames::clockSync(QDateTime()).has_value());
    // 00:30 on 1 January 2000 at UTC+1 is still 1999 in UTC.
    EXPECT_FALSE(
        frames::clockSync(QDateTime(QDate(2000, 1, 1), QTime(0, 30), Qt::OffsetFromUTC, 3600))
            .has_value());
}

TEST(UtcTime, OneReadingTruncatedToTheSecond) {
    const FixedClock clock(utc(2019, 3, 7, 13, 25, 30, 999));
    const QDateTime now = currentUtcSecond(clock);
    EXPECT_EQ(now.timeSpec(), Qt::UTC);
    EXPECT_EQ(now, utc(2019, 3, 7, 13, 25, 30));
    EXPECT_EQ(now.time().msec(), 0);
}

TEST(UtcTime, ZonedReadingsComeBackInUtc) {
    const QTimeZone madrid("Europe/Madrid");
    ASSERT_TRUE(madrid.isValid());
    const struct {
        QDateTime reading;
        QDateTime expected;
    } cases[] = {
        // Winter: one hour behind local time.
        {QDateTime(QDate(2019, 3, 7), QTime(14, 25, 30), madrid), utc(2019, 3, 7, 13, 25, 30)},
        // Summer: two hours behind, and the UTC date is the previous day.
        {QDateTime(QDate(2019, 7, 1), QTime(0, 30, 0), madrid), utc(2019, 6, 30, 22, 30, 0)},
        // Both readings of local 02:30 on the autumn change day map to their own instant.
        {QDateTime::fromSecsSinceEpoch(utc(2019, 10, 27, 0, 30, 0).toSecsSinceEpoch(), madrid),
         utc(2019, 10, 27, 0, 30, 0)},
        {QDateTime::fromSecsSinceEpoch(utc(2019, 10, 27, 1, 30, 0).toSecsSinceEpoch(), madrid),
         utc(2019, 10, 27, 1, 30, 0)},
    };
    for (const auto &c : cases) {
        const QDateTime now = currentUtcSecond(FixedClock(c.reading));
        EXPECT_EQ(now.timeSpec(), Qt::UTC);
        EXPECT_EQ(now.date(), c.expected.date()) << c.reading.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(now.time(), c.expected.time()) << c.reading.toString(Qt::ISODate).toStdString();
    }
    EXPECT_EQ(frames::clockSync(currentUtcSecond(FixedClock(cases[1].reading))),
              withBytes("TAV@41", {19, 6, 30, 22, 30, 0}));
}
