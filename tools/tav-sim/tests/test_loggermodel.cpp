#include "loggermodel.h"
#include "printers.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using After = Reply::After;

const QDateTime kStart(QDate(2019, 3, 7), QTime(12, 0, 0), Qt::UTC);

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

Frame command(const QByteArray &b) {
    return Frame{Frame::Kind::Command, b};
}

QList<QByteArray> lines(const QByteArray &text) {
    QList<QByteArray> out = text.split('\n');
    EXPECT_TRUE(out.last().isEmpty()) << "reply does not end with a line end";
    out.removeLast();
    for (QByteArray &line : out) {
        EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
        line.chop(1);
    }
    return out;
}

class LoggerModelTest : public ::testing::Test {
protected:
    Reply send(const QByteArray &frame, int secondsLater = 1) {
        return model.answer(command(frame), kStart.addSecs(secondsLater));
    }
    QByteArray listed(const QByteArray &name) {
        for (const QByteArray &line : lines(send("TAV@03").text)) {
            if (line.startsWith('{' + name + ':')) {
                return line.mid(name.size() + 2).chopped(1);
            }
        }
        return "(not listed)";
    }

    LoggerModel model{"North", 7, kStart};
};

TEST_F(LoggerModelTest, FixedCommandsExactReplies) {
    struct Case {
        QByteArray frame;
        QByteArray text;
        After after;
    };
    const QList<Case> cases = {
        {"TAV@01", "{Welcome to TAV-3 logger North}\r\n", After::Stay},
        {"TAV@07", "{Version TAV-3 firmware 4.2.1 (sim)}\r\n", After::Stay},
        {"TAV@08", "{Sending file config.ini to server}\r\n{File sent, 1380 bytes}\r\n",
         After::Stay},
        {"TAV@09", "{Sync with server requested}\r\n{Sync with server done, 0 files pending}\r\n",
         After::Stay},
        {"TAV@13", "{Email sent to ops@example.net}\r\n", After::Stay},
        {"TAV@14", "{Email with close sent to ops@example.net}\r\n", After::Stay},
        {"TAV@15", "{NTP sync with pool.ntp.org done, offset +0.012 s}\r\n", After::Stay},
        {"TAV@18",
         "{Devices, 3 found}\r\n{Device 1 Modbus addr 1 flowmeter FM-200 OK}\r\n"
         "{Device 2 Modbus addr 2 level sensor LS-10 OK}\r\n"
         "{Device 3 SDI-12 addr 0 rain gauge RG-5 no answer}\r\n",
         After::Stay},
        {"TAV@30", "{Logger North registered as TAV3-0007}\r\n", After::Stay},
        {"TAV@42", "{GPRS signal: -71 dBm}\r\n", After::Stay},
        {"TAV@43", "{GPRS starting}\r\n{GPRS connected, IP 10.64.12.7}\r\n", After::Stay},
        {"TAV@44", "{Password reset to default}\r\n", After::Stay},
        {"TAV@16", "{Log deleted}\r\n", After::Stay},
        {"TAV@17", "{Log empty}\r\n", After::Stay},
        {"TAV@02", "{Bye}\r\n", After::Close},
        {"TAV@05", "{Reboot in progress}\r\n", After::Restart},
        {"TAV@11", "{No app1 received, rebooting with current application}\r\n", After::Restart},
        {"TAV@31", "{Local update, receiving application}\r\n{Rebooting}\r\n", After::Restart},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(send(c.frame), (Reply{c.text, c.after})) << c.frame.toStdString();
    }
}

TEST_F(LoggerModelTest, ErrorsForUnknownCodesStrayBytesAndBrokenFrames) {
    const QList<std::pair<Frame, QByteArray>> cases = {
        {command("TAV@99"), "{Unknown command TAV@99}\r\n"},
        {command("TAV@06abc"), "{Unknown command TAV@06}\r\n"},
        {command("TAV@x\x01"), "{Unknown command TAV@x?}\r\n"},
        {Frame{Frame::Kind::Stray, "xyz"}, "{Ignored 3 bytes outside a frame (78 79 7a)}\r\n"},
        {Frame{Frame::Kind::Incomplete, "TAV@41" + bytes({19, 3})},
         "{Incomplete frame TAV@41, 8 bytes}\r\n"},
        {Frame{Frame::Kind::Incomplete, "TAV@4"}, "{Incomplete frame, 5 bytes}\r\n"},
        // Runs past the reader's bound: its start kept, the rest counted.
        {Frame{Frame::Kind::Stray, QByteArray(64, 'x'), 1000},
         "{Ignored 1064 bytes outside a frame (" + QByteArray(64, 'x').toHex(' ') +
             " ... (+1000 bytes))}\r\n"},
        {Frame{Frame::Kind::Stray, QByteArray(65, '\0')}, "{Ignored 65 bytes outside a frame (" +
                                                              QByteArray(64, '\0').toHex(' ') +
                                                              " ... (+1 bytes))}\r\n"},
        {Frame{Frame::Kind::Overlong, "TAV@22rm -rf /", 70000},
         "{Frame too long, TAV@22 with 70014 bytes (at most 65536), discarded}\r\n"},
        {command("TAV@04" + QByteArray(100, 'L')),
         "{Bad parameter change, no colon in " + QByteArray(64, 'L') + " ... (+36 bytes)}\r\n"},
        {command("TAV@04" + QByteArray(64, '\x1b') + ":1"),
         "{Unknown parameter " + QByteArray(64, '?') + "}\r\n"},
    };
    for (const auto &[frame, text] : cases) {
        EXPECT_EQ(model.answer(frame, kStart), (Reply{text, After::Stay}))
            << frame.bytes.toStdString();
    }
}

TEST_F(LoggerModelTest, ListingHasHeaderAndNameValueLines) {
    const QList<QByteArray> listing = lines(send("TAV@03").text);
    ASSERT_GE(listing.size(), 23);
    EXPECT_EQ(listing[0], "{Received ask parameters}");
    EXPECT_EQ(listing[1], "{Parameters: 26}");
    EXPECT_EQ(listing.last(), "{End of list}");
    const QRegularExpression parameter(QStringLiteral("^\\{[A-Z][A-Z0-9_]*:[^{}]*\\}$"));
    const QList<QByteArray> parameters = listing.mid(2, listing.size() - 3);
    EXPECT_EQ(parameters.size(), 26);
    EXPECT_EQ(model.parameterCount(), 26);
    for (const QByteArray &line : parameters) {
        EXPECT_TRUE(parameter.match(QString::fromLatin1(line)).hasMatch()) << line.toStdString();
    }
    EXPECT_EQ(parameters[0], "{SAMPLE_PERIOD:60}");
    EXPECT_TRUE(parameters.contains("{LEVEL:3}"));
    EXPECT_TRUE(parameters.contains("{SITE_NAME:North}"));
    EXPECT_TRUE(parameters.contains("{LOGGER_ID:TAV3-0007}"));
    EXPECT_TRUE(parameters.contains("{APN_USER:}"));           // an empty value
    EXPECT_TRUE(parameters.contains("{TIME_ZONE:UTC+01:00}")); // a colon inside the value
}

TEST_F(LoggerModelTest, ChangesArePendingUntilApplied) {
    EXPECT_EQ(send("TAV@04LEVEL:5").text, "{Parameter LEVEL set to 5, pending apply}\r\n");
    EXPECT_EQ(model.pendingCount(), 1);
    EXPECT_EQ(listed("LEVEL"), "3");
    EXPECT_EQ(model.value("LEVEL"), "3");

    EXPECT_EQ(send("TAV@04LEVEL:7").text, "{Parameter LEVEL set to 7, pending apply}\r\n");
    EXPECT_EQ(send("TAV@04TIME_ZONE:UTC+02:00").text,
              "{Parameter TIME_ZONE set to UTC+02:00, pending apply}\r\n");
    EXPECT_EQ(send("TAV@04APN:").text, "{Parameter APN set to , pending apply}\r\n");
    EXPECT_EQ(model.pendingCount(), 3); // LEVEL counted once

    EXPECT_EQ(send("TAV@12").text, "{Parameters applied: 3}\r\n");
    EXPECT_EQ(model.pendingCount(), 0);
    EXPECT_EQ(listed("LEVEL"), "7");
    EXPECT_EQ(listed("TIME_ZONE"), "UTC+02:00");
    EXPECT_EQ(listed("APN"), "");
    EXPECT_EQ(send("TAV@12").text, "{Parameters applied: 0}\r\n");
    EXPECT_EQ(listed("LEVEL"), "7");
}

TEST_F(LoggerModelTest, BadChangesAreRefusedAndChangeNothing) {
    const QList<std::pair<QByteArray, QByteArray>> cases = {
        {"TAV@04FOO:1", "{Unknown parameter FOO}\r\n"},
        {"TAV@04level:1", "{Unknown parameter level}\r\n"},
        {"TAV@04:5", "{Unknown parameter }\r\n"},
        {"TAV@04LEVEL", "{Bad parameter change, no colon in LEVEL}\r\n"},
        {"TAV@04", "{Bad parameter change, no colon in }\r\n"},
        {"TAV@04LEVEL:5\r\n", "{Bad value for LEVEL, line breaks not allowed}\r\n"},
    };
    for (const auto &[frame, text] : cases) {
        EXPECT_EQ(send(frame).text, text) << frame.toStdString();
    }
    EXPECT_EQ(model.pendingCount(), 0);
    EXPECT_EQ(send("TAV@12").text, "{Parameters applied: 0}\r\n");
    EXPECT_EQ(listed("LEVEL"), "3");
}

TEST_F(LoggerModelTest, RestartDiscardsPendingChanges) {
    send("TAV@04LEVEL:9");
    EXPECT_EQ(send("TAV@05").after, After::Restart);
    EXPECT_EQ(send("TAV@12").text, "{Parameters applied: 0}\r\n");
    EXPECT_EQ(listed("LEVEL"), "3");
}

TEST_F(LoggerModelTest, FtpAccountNeverRepeatsThePassword) {
    struct Case {
        QByteArray frame;
        QByteArray text;
    };
    const QList<Case> cases = {
        {"TAV@10tavupdate:tav2019@ftp.example.net",
         "{FTP account user=tavupdate server=ftp.example.net}\r\n"
         "{app1 received from ftp.example.net (simulated)}\r\n"},
        {"TAV@10tavupdate:tav2019@x@ftp.example.net", // "@" inside the password
         "{FTP account user=tavupdate server=ftp.example.net}\r\n"
         "{app1 received from ftp.example.net (simulated)}\r\n"},
        {"TAV@10", "{FTP account from logger settings}\r\n"
                   "{app1 received from ftp.example.net (simulated)}\r\n"},
        {"TAV@10tavupdate:tav2019@",
         "{FTP account user=tavupdate server=}\r\n{No app1 received, account incomplete}\r\n"},
        {"TAV@10tavupdate", "{Bad FTP account, expected user, colon, password, at sign, "
                            "server}\r\n"},
        {"TAV@10tav2019@host:x", "{Bad FTP account, expected user, colon, password, at sign, "
                                 "server}\r\n"},
    };
    for (const Case &c : cases) {
        const Reply reply = send(c.frame);
        EXPECT_EQ(reply.text, c.text) << c.frame.toStdString();
        EXPECT_FALSE(reply.text.contains("tav2019")) << c.frame.toStdString();
    }
}

TEST_F(LoggerModelTest, UpdateUsesTheApplicationReceivedOnce) {
    send("TAV@10tavupdate:tav2019@ftp.example.net");
    EXPECT_EQ(send("TAV@11"),
              (Reply{"{Updating application to app1}\r\n{Rebooting}\r\n", After::Restart}));
    EXPECT_EQ(send("TAV@11").text, "{No app1 received, rebooting with current application}\r\n");
    send("TAV@10tavupdate"); // a bad account loses what was received
    EXPECT_EQ(send("TAV@11").text, "{No app1 received, rebooting with current application}\r\n");
}

TEST_F(LoggerModelTest, LinuxCommandIsEchoedNotRun) {
    const QList<std::pair<QByteArray, QByteArray>> cases = {
        {"TAV@22ls -l", "{$ ls -l}\r\n{(simulated, not run)}\r\n"},
        {"TAV@22", "{$ }\r\n{(simulated, not run)}\r\n"},
        {"TAV@22a\r\nb", "{$ a??b}\r\n{(simulated, not run)}\r\n"},
        {"TAV@22cat \xe9t\xe9", "{$ cat \xe9t\xe9}\r\n{(simulated, not run)}\r\n"},
    };
    for (const auto &[frame, text] : cases) {
        EXPECT_EQ(send(frame), (Reply{text, After::Stay})) << frame.toStdString();
    }
}

TEST_F(LoggerModelTest, TestAlarmDecodedOrRefused) {
    const QList<std::pair<QByteArray, QByteArray>> cases = {
        {"TAV@210000001200000003", "{Test alarm id=00000012 code=00000003 raised}\r\n"},
        {"TAV@219999999900000000", "{Test alarm id=99999999 code=00000000 raised}\r\n"},
        {"TAV@21abc00000003", "{Bad test alarm, expected 8 + 8 digits, got \"abc00000003\"}\r\n"},
        {"TAV@21", "{Bad test alarm, expected 8 + 8 digits, got \"\"}\r\n"},
        {"TAV@21-0000001200000003", // 23 bytes never come from the reader, but still refused
         "{Bad test alarm, expected 8 + 8 digits, got \"-0000001200000003\"}\r\n"},
        {"TAV@21000000120000000x", "{Bad test alarm, expected 8 + 8 digits, got "
                                   "\"000000120000000x\"}\r\n"},
    };
    for (const auto &[frame, text] : cases) {
        EXPECT_EQ(send(frame).text, text) << frame.toStdString();
    }
}

TEST_F(LoggerModelTest, HistoricRangeDecodedOrRefused) {
    const QList<std::pair<QByteArray, QByteArray>> cases = {
        {"TAV@23" + bytes({19, 3, 7, 0, 19, 3, 7, 14}),
         "{Historic counter file from 2019-03-07 00h to 2019-03-07 14h, 14 hours, "
         "recording}\r\n"},
        {"TAV@23" + bytes({19, 2, 28, 1, 19, 3, 1, 0}),
         "{Historic counter file from 2019-02-28 01h to 2019-03-01 00h, 23 hours, "
         "recording}\r\n"},
        {"TAV@23" + bytes({19, 13, 7, 0, 19, 3, 7, 14}),
         "{Bad historic range, bytes 19 13 7 0 19 3 7 14}\r\n"},
        {"TAV@23" + bytes({19, 3, 7, 0, 19, 3, 7, 24}),
         "{Bad historic range, bytes 19 3 7 0 19 3 7 24}\r\n"},
        {"TAV@23" + bytes({19, 2, 29, 0, 19, 3, 7, 0}),
         "{Bad historic range, bytes 19 2 29 0 19 3 7 0}\r\n"},
        {"TAV@23" + bytes({19, 3, 7, 14, 19, 3, 7, 0}),
         "{Bad historic range, ends before it starts}\r\n"},
        {"TAV@23" + bytes({19, 3, 7}), "{Bad historic range, 3 bytes}\r\n"},
    };
    for (const auto &[frame, text] : cases) {
        EXPECT_EQ(send(frame).text, text) << frame.toHex().toStdString();
    }
}

TEST_F(LoggerModelTest, ClockSetDecodedOrRefused) {
    const QList<std::pair<QByteArray, QByteArray>> cases = {
        {"TAV@41" + bytes({19, 3, 7, 13, 25, 30}), "{Clock set to 2019-03-07 13:25:30 UTC}\r\n"},
        {"TAV@41" + bytes({19, 6, 30, 22, 30, 0}), "{Clock set to 2019-06-30 22:30:00 UTC}\r\n"},
        {"TAV@41" + bytes({255, 12, 31, 23, 59, 59}), "{Clock set to 2255-12-31 23:59:59 UTC}\r\n"},
        {"TAV@41" + bytes({19, 13, 7, 13, 25, 30}), "{Bad clock, bytes 19 13 7 13 25 30}\r\n"},
        {"TAV@41" + bytes({19, 2, 30, 0, 0, 0}), "{Bad clock, bytes 19 2 30 0 0 0}\r\n"},
        {"TAV@41" + bytes({19, 3, 7, 24, 0, 0}), "{Bad clock, bytes 19 3 7 24 0 0}\r\n"},
        {"TAV@41" + bytes({19, 3, 7, 13, 60, 0}), "{Bad clock, bytes 19 3 7 13 60 0}\r\n"},
        {"TAV@41" + bytes({19, 3, 7, 13, 25, 60}), "{Bad clock, bytes 19 3 7 13 25 60}\r\n"},
        {"TAV@41" + bytes({19, 3, 7, 13, 25}), "{Bad clock, 5 bytes}\r\n"},
    };
    for (const auto &[frame, text] : cases) {
        EXPECT_EQ(send(frame).text, text) << frame.toHex().toStdString();
    }
}

TEST_F(LoggerModelTest, ClockRunsOnFromTheTimeSet) {
    send("TAV@41" + bytes({19, 3, 7, 13, 25, 30}), 0);
    EXPECT_EQ(model.clock(kStart.addSecs(5)),
              QDateTime(QDate(2019, 3, 7), QTime(13, 25, 35), Qt::UTC));
    EXPECT_EQ(model.traceLine(kStart.addSecs(5)), "13:25:35 AI1=4.00mA AI2=12.00mA\r\n");
    EXPECT_EQ(model.traceLine(kStart.addSecs(10)), "13:25:40 AI1=4.37mA AI2=12.53mA\r\n");
    // A bad clock frame leaves the clock alone.
    send("TAV@41" + bytes({19, 13, 7, 0, 0, 0}), 10);
    EXPECT_EQ(model.clock(kStart.addSecs(10)),
              QDateTime(QDate(2019, 3, 7), QTime(13, 25, 40), Qt::UTC));
}

TEST_F(LoggerModelTest, TraceAndFloodLines) {
    EXPECT_EQ(model.traceLine(kStart), "12:00:00 AI1=4.00mA AI2=12.00mA\r\n");
    const LoggerModel::Flood flood = model.startFlood(3, kStart.addSecs(1));
    // Sent after the flood began but before its lines were made: values after the flood's.
    EXPECT_EQ(model.traceLine(kStart), "12:00:00 AI1=5.48mA AI2=14.12mA\r\n");
    EXPECT_EQ(LoggerModel::floodLine(flood, 1) + LoggerModel::floodLine(flood, 2) +
                  LoggerModel::floodLine(flood, 3),
              "12:00:01 #1/3 AI1=4.37mA AI2=12.53mA\r\n"
              "12:00:01 #2/3 AI1=4.74mA AI2=13.06mA\r\n"
              "12:00:01 #3/3 AI1=5.11mA AI2=13.59mA\r\n");
    const QRegularExpression trace(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d AI1=(\\d+\\.\\d\\d)mA AI2=(\\d+\\.\\d\\d)mA\r\n$"));
    for (int i = 0; i < 2000; ++i) { // stays within 4 to 20 mA
        const auto match = trace.match(QString::fromLatin1(model.traceLine(kStart)));
        ASSERT_TRUE(match.hasMatch());
        for (int field : {1, 2}) {
            const double mA = match.captured(field).toDouble();
            ASSERT_GE(mA, 4.0);
            ASSERT_LT(mA, 20.0);
        }
    }
}

TEST_F(LoggerModelTest, EventLogRecordsAndDeletes) {
    send("TAV@01", 1);
    send("TAV@04LEVEL:5", 2);
    send("TAV@12", 3);
    EXPECT_EQ(send("TAV@17", 4).text, "{Log, 3 entries}\r\n"
                                      "{2019-03-07 12:00:00 Power on}\r\n"
                                      "{2019-03-07 12:00:01 Console session opened}\r\n"
                                      "{2019-03-07 12:00:03 Parameters applied (1)}\r\n");
    EXPECT_EQ(send("TAV@16").text, "{Log deleted}\r\n");
    EXPECT_EQ(send("TAV@17").text, "{Log empty}\r\n");
    send("TAV@05", 9);
    EXPECT_EQ(send("TAV@17").text, "{Log, 1 entry}\r\n{2019-03-07 12:00:09 Reboot}\r\n");
}

} // namespace
