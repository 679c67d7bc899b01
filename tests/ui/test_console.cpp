// The console's widget-free core with fakes: a recording prompter, a fake clock, a loopback
// peer as the logger. Every operator command starts here; the forms' values are sent from here.
#include "console/console.h"
#include "support/fakes.h"
#include "support/loopbackpeer.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

using catalogue::Command;

class ConsoleCoreTest : public ::testing::Test {
public: // the table rows below reach the console through these
    void connect() {
        console.connectTo({1, QStringLiteral("127.0.0.1"), QString::number(peer.port()), false});
        ASSERT_TRUE(waitUntil([&] { return !console.connection().isWaiting(); }));
        ASSERT_TRUE(console.link().isConnected());
        ASSERT_EQ(peer.takeReceived(console.link()), "TAV@01");
    }
    QByteArray sent() { return peer.takeReceived(console.link()); }

    QTemporaryDir dir;
    FakeClock clock;
    RecordingPrompter prompter;
    Console console{prompter, clock, dir.path()};
    LoopbackPeer peer;
};

// What every command does to the parameter listing, from a listing that is open and has
// collected one parameter. A restart command does it only once its question is answered Yes.
struct ListingCase {
    const char *name;
    std::function<void(ConsoleCoreTest &)> run;
    bool open;      // still collecting afterwards
    int parameters; // what the table then holds
};

void PrintTo(const ListingCase &c, std::ostream *out) {
    *out << c.name;
}

class ListingEffectTest : public ConsoleCoreTest,
                          public ::testing::WithParamInterface<ListingCase> {};

TEST_P(ListingEffectTest, IsTheOneTheCommandTableGives) {
    connect();
    console.perform(Command::ListParameters);
    peer.send("{Parameters}\r\n{A:1}\r\n");
    ASSERT_TRUE(waitUntil([&] { return console.listing().table().count() == 1; }));
    ASSERT_TRUE(console.listing().isOpen());
    GetParam().run(*this);
    EXPECT_EQ(console.listing().isOpen(), GetParam().open);
    EXPECT_EQ(console.listing().table().count(), GetParam().parameters);
}

namespace {

ListingCase perform(const char *name, Command command, bool open, int parameters = 1) {
    return {name, [command](ConsoleCoreTest &t) { t.console.perform(command); }, open, parameters};
}

ListingCase confirmed(const char *name, Command command, bool yes) {
    return {name,
            [command, yes](ConsoleCoreTest &t) {
                t.prompter.answers = {yes};
                t.console.perform(command);
            },
            !yes, 1};
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Console, ListingEffectTest,
    ::testing::Values(
        perform("Version", Command::Version, false),
        perform("List", Command::ListParameters, true, 0),
        perform("Apply", Command::ApplyParameters, false),
        perform("SendFile", Command::SendFile, true),
        perform("SyncWithServer", Command::SyncWithServer, false),
        perform("SyncWithPc", Command::SyncWithPc, false),
        perform("AskDevices", Command::AskDevices, false),
        perform("AskGprsSignal", Command::AskGprsSignal, false),
        perform("SendEmail", Command::SendEmail, false),
        perform("SendEmailAndClose", Command::SendEmailAndClose, false),
        perform("ShowLog", Command::ShowLog, false),
        perform("DeleteLog", Command::DeleteLog, false), perform("Ntp", Command::Ntp, false),
        perform("Register", Command::RegisterLogger, false),
        perform("GprsStart", Command::GprsStart, false),
        perform("ResetPassword", Command::ResetPassword, false),
        perform("Modify", Command::ModifyParameters, false),
        perform("Disconnect", Command::Disconnect, false),
        perform("MaintainLink", Command::MaintainLink, true),
        perform("AbortConnection", Command::AbortConnection, true),
        perform("ClearTrace", Command::ClearTrace, true),
        perform("RecApplication", Command::RecApplication, true),
        perform("TestAlarm", Command::TestAlarm, true),
        perform("LinuxCommand", Command::LinuxCommand, true),
        perform("About", Command::About, true), confirmed("RebootYes", Command::Reboot, true),
        confirmed("RebootNo", Command::Reboot, false),
        confirmed("UpdateYes", Command::UpdateApplication, true),
        confirmed("LocalUpdateNo", Command::LocalUpdate, false),
        ListingCase{"Connect",
                    [](ConsoleCoreTest &t) {
                        t.console.connectTo({0, "", "", false});
                    },
                    false, 0},
        ListingCase{"PickLogger", [](ConsoleCoreTest &t) { t.console.pickLogger(); }, false, 1},
        ListingCase{"CloseDown", [](ConsoleCoreTest &t) { t.console.closeDown(); }, false, 1},
        ListingCase{"FormsAndKeepAlive",
                    [](ConsoleCoreTest &t) {
                        t.console.sendParameter("A", "2");
                        t.console.sendTestAlarm("1", "2");
                        t.console.sendLinuxCommand("ls");
                        t.console.perform(Command::MaintainLink);
                        t.clock.advance(600);
                    },
                    true, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ConsoleCoreTest, ARestartCommandAsksFirstAndOnNoSendsNothing) {
    connect();
    struct Case {
        Command command;
        QString question;
        QByteArray frame;
    };
    const Case cases[] = {
        {Command::UpdateApplication, "Check app1 is received!\r\nConfirm update", "TAV@11"},
        {Command::LocalUpdate, "Only for local update!. Are you sure!\r\nConfirm update", "TAV@31"},
        {Command::Reboot, "Warning!\r\nConfirm reboot", "TAV@05"},
    };
    for (const Case &c : cases) {
        prompter.boxes.clear();
        EXPECT_FALSE(console.perform(c.command));
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].text, c.question);
        EXPECT_EQ(prompter.boxes[0].title, "Warning");
        EXPECT_TRUE(prompter.boxes[0].question);
        EXPECT_FALSE(console.connection().isPausing());
        EXPECT_EQ(sent(), "");
    }
    prompter.answers = {true};
    EXPECT_TRUE(console.perform(Command::Reboot));
    EXPECT_EQ(sent(), "TAV@05");
}

TEST_F(ConsoleCoreTest, AQuestionHoldsTheUpdatePausesSoTheConfirmedRebootIsSent) {
    connect();
    prompter.answers = {true};
    console.perform(Command::UpdateApplication);
    clock.advance(10);
    // Reboot about a second later, its question left open for 17 seconds: the update's
    // pauses would have ended beneath it.
    prompter.answers = {true};
    prompter.whileOpen = [&](const RecordingPrompter::Box &) {
        prompter.whileOpen = nullptr;
        clock.advance(170);
    };
    console.perform(Command::Reboot);
    EXPECT_EQ(sent(), "TAV@11TAV@05");
    // The reboot's pauses first, then what is left of the update's.
    clock.advance(10);
    EXPECT_FALSE(console.link().isConnected());
    EXPECT_EQ(console.connection().countdownLeft(), 60);
    EXPECT_TRUE(console.connection().isPausing());
    clock.advance(150);
    EXPECT_FALSE(console.connection().isPausing());
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

TEST_F(ConsoleCoreTest, RebootDuringTheWaitSendsItsFrameAloneOnTheLinkThatCameUp) {
    console.connectTo({1, QStringLiteral("127.0.0.1"), QString::number(peer.port()), false});
    prompter.answers = {true};
    prompter.whileOpen = [&](const RecordingPrompter::Box &) {
        prompter.whileOpen = nullptr;
        EXPECT_TRUE(waitUntil([&] { return console.link().isConnected(); }));
        clock.advance(20);
    };
    console.perform(Command::Reboot);
    ASSERT_TRUE(peer.waitForBytes(6));
    clock.advance(10);
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_EQ(peer.received(), "TAV@05");
    clock.advance(271);
    EXPECT_EQ(prompter.texts(), (QStringList{"Warning!\r\nConfirm reboot", "Not able to connect"}));
}

// What the forms hand back: the exact frame, or the exact message; true when the form's work
// is done, false when it stays open for the operator to correct what was typed.
struct FormCase {
    const char *name;
    std::function<bool(Console &)> submit;
    QByteArray frame;
    QString message;
    bool done = true;
};

void PrintTo(const FormCase &c, std::ostream *out) {
    *out << c.name;
}

class FormTest : public ConsoleCoreTest, public ::testing::WithParamInterface<FormCase> {};

TEST_P(FormTest, SendsTheExactFrameOrSaysWhyNot) {
    connect();
    EXPECT_EQ(GetParam().submit(console), GetParam().done);
    EXPECT_EQ(sent(), GetParam().frame);
    EXPECT_EQ(prompter.texts(),
              GetParam().message.isEmpty() ? QStringList{} : QStringList{GetParam().message});
    EXPECT_TRUE(console.link().isConnected());
}

namespace {

FormCase alarm(const char *name, const QString &id, const QString &code, const QByteArray &frame,
               const QString &message = {}) {
    return {name, [=](Console &c) { return c.sendTestAlarm(id, code); }, frame, message};
}

FormCase linuxLine(const char *name, const QString &line, const QByteArray &frame,
                   const QString &message = {}) {
    return {name, [=](Console &c) { return c.sendLinuxCommand(line); }, frame, message,
            message.isEmpty()};
}

FormCase ftp(const char *name, const QString &user, const QString &pass, const QString &server,
             const QByteArray &frame, const QString &message = {}) {
    return {name, [=](Console &c) { return c.sendFtpAccount(user, pass, server); }, frame, message,
            message.isEmpty()};
}

FormCase parameter(const char *name, const QString &param, const QString &value,
                   const QByteArray &frame, const QString &message = {}) {
    return {name, [=](Console &c) { return c.sendParameter(param, value); }, frame, message,
            message.isEmpty()};
}

FormCase historic(const char *name, argumentchecks::HistoricBoxes boxes, const QByteArray &frame,
                  const QString &message = {}) {
    return {name, [=](Console &c) { return c.sendHistoric(boxes); }, frame, message};
}

QString smuggled(const char *field) {
    return QStringLiteral("The field \"%1\" would send \"TAV@\", which the logger takes for the "
                          "start of another command; nothing was sent")
        .arg(QString::fromUtf8(field));
}

const QString kOmega = QStringLiteral("The character \"\u03A9\" (U+03A9) cannot be sent to the "
                                      "logger; nothing was sent");

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Console, FormTest,
    ::testing::Values(
        alarm("Alarm", "12", "3", "TAV@210000001200000003"),
        alarm("AlarmLargest", "99999999", "0", "TAV@219999999900000000"),
        alarm("AlarmRounded", "12.6", "7", "TAV@210000001300000007"),
        alarm("AlarmIdTooLarge", "100000000", "1", "", "Id debe ser entre 0 y 99999999"),
        alarm("AlarmIdNegative", "-1", "1", "", "Id debe ser entre 0 y 99999999"),
        alarm("AlarmIdEmpty", "", "", "", "Id debe ser entre 0 y 99999999"),
        alarm("AlarmCodeNotANumber", "1", "x1", "", "Alarma debe ser entre 0 y 99999999"),
        linuxLine("Linux", "ls -l", "TAV@22ls -l"), linuxLine("LinuxEmpty", "", "TAV@22"),
        linuxLine("LinuxBlanksKept", "  echo  a ", "TAV@22  echo  a "),
        linuxLine("LinuxWindows1252", QStringLiteral("echo año"), "TAV@22echo a\xF1o"),
        linuxLine("LinuxOutsideTheCodePage", QStringLiteral("rm \u03A9"), "", kOmega),
        linuxLine("LinuxSmuggled", "ls;TAV@05", "", smuggled("Comand")),
        ftp("Ftp", "tav", "s3cr@t", "ftp.example.net", "TAV@10tav:s3cr@t@ftp.example.net"),
        ftp("FtpWithoutUser", "", "p", "s", "TAV@10"),
        ftp("FtpUserOnly", "tav", "", "", "TAV@10tav:@"),
        ftp("FtpPasswordSmuggled", "user", "pwTAV", "05secret", "", smuggled("Password")),
        ftp("FtpUserSmuggled", "uTAV@05", "p", "s", "", smuggled("User")),
        ftp("FtpOutsideTheCodePage", "u", QStringLiteral("p\u03A9"), "s", "", kOmega),
        parameter("Parameter", "LEVEL", "5", "TAV@04LEVEL:5"),
        parameter("ParameterEmpty", "", "", "TAV@04:"),
        parameter("ParameterNameSmuggled", "TAV@05", "1", "", smuggled("Parámeter")),
        parameter("ParameterValueSmuggled", "A", "1TAV@05", "", smuggled("Value")),
        historic("Historic", {"0", "7", "3", "2019", "14", "7", "3", "2019"},
                 QByteArray("TAV@23\x13\x03\x07\x00\x13\x03\x07\x0e", 14)),
        historic("HistoricHourTooLate", {"0", "7", "3", "2019", "24", "7", "3", "2019"}, "",
                 QStringLiteral("Hora máxima 23")),
        historic("HistoricYearTooEarly", {"0", "7", "3", "1999", "1", "7", "3", "2019"}, "",
                 QStringLiteral("Valor no válido en Desde Año: debe ser un número entero "
                                "entre 2000 y 2255"))),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ConsoleCoreTest, FormsWithoutALinkSayTheirOwnWordsAndOnlyTheFtpFormCloses) {
    const std::vector<std::pair<std::function<void()>, QString>> cases = {
        {[&] { console.sendParameter("A", "1"); }, "There is no conecction"},
        {[&] { console.sendTestAlarm("1", "2"); }, "There is no connection"},
        {[&] { console.sendLinuxCommand("ls"); }, "There is no conenction"},
        {[&] {
             console.sendHistoric({"0", "7", "3", "2019", "1", "7", "3", "2019"});
         },
         QStringLiteral("No hay conexión")},
    };
    console.link().connectTo(QStringLiteral("127.0.0.1"), peer.port());
    ASSERT_TRUE(console.link().isStale());
    for (const auto &[submit, message] : cases) {
        prompter.boxes.clear();
        submit();
        EXPECT_EQ(prompter.texts(), QStringList{message});
        EXPECT_NE(console.link().state(), QAbstractSocket::UnconnectedState);
    }
    console.sendFtpAccount("u", "p", "s");
    EXPECT_EQ(prompter.texts().last(), "There is no connection");
    EXPECT_EQ(console.link().state(), QAbstractSocket::UnconnectedState);
}

TEST_F(ConsoleCoreTest, SyncWithPcSendsOneReadingOfTheUtcClockOrNothingOutsideItsYears) {
    connect();
    const std::vector<std::pair<QDateTime, QByteArray>> cases = {
        {QDateTime(QDate(2019, 3, 7), QTime(13, 25, 30, 999), Qt::UTC),
         QByteArray("TAV@41\x13\x03\x07\x0d\x19\x1e", 12)},
        {QDateTime(QDate(2010, 10, 13), QTime(10, 13, 10), Qt::UTC),
         QByteArray("TAV@41\x0a\x0a\x0d\x0a\x0d\x0a", 12)},
        {QDateTime(QDate(1999, 12, 31), QTime(23, 0), Qt::UTC), ""},
    };
    for (const auto &[now, frame] : cases) {
        clock.setNow(now);
        console.perform(Command::SyncWithPc);
        EXPECT_EQ(sent(), frame);
    }
    EXPECT_EQ(
        prompter.texts(),
        QStringList{"The PC's clock is outside 2000 to 2255; the logger's clock was not set"});
    EXPECT_TRUE(console.link().isConnected());
}

TEST_F(ConsoleCoreTest, TheListsDoubtfulLinesAreToldOnStandardError) {
    QByteArray text = "LOGGER:Weir,10.0.0.1,40x1\r\n";
    for (int i = 2; i <= 41; ++i) {
        text += "LOGGER:L" + QByteArray::number(i) + ",10.0.1.1,4001\r\n";
    }
    QFile list(dir.filePath("loggers.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly) && list.write(text) == text.size());
    list.close();
    // Standard error into a file for the while.
    QTemporaryFile said;
    ASSERT_TRUE(said.open());
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(said.handle(), 2);
    const Console::LoggerListRead read = console.loadLoggers();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    EXPECT_EQ(read.list.rows.size(), 39u);
    const QString path = QFileInfo(list).absoluteFilePath();
    said.seek(0);
    EXPECT_EQ(QString::fromLocal8Bit(said.readAll()).split('\n', Qt::SkipEmptyParts),
              (QStringList{"mirvane: 39 logger(s) read from " + path,
                           "mirvane: " + path +
                               ":1: the port \"40x1\" is not a number from 1 "
                               "to 65535",
                           "mirvane: " + path +
                               ":40: not read: the grid holds 39 loggers, all of them above "
                               "this line",
                           "mirvane: " + path +
                               ":41: not read: the grid holds 39 loggers, all of them above "
                               "this line"}));
    EXPECT_TRUE(prompter.boxes.empty());
}
