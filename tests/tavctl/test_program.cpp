#include "base/texts.h"
#include "integration/simprocess.h"
#include "support/loopbackpeer.h"
#include "tavctl/fakelogger.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Ran {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// tavctl in a folder of its own holding loggers.txt, against loggers in this process: the
// test's event loop runs while tavctl does, so they answer.
class Tavctl : public ::testing::Test {
protected:
    void list(const QList<std::pair<QByteArray, quint16>> &loggers) {
        QFile file(m_dir.filePath(QStringLiteral("loggers.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (const auto &[name, port] : loggers) {
            file.write("LOGGER:" + name + ",127.0.0.1," + QByteArray::number(port) + "\r\n");
        }
    }
    void start(const QStringList &args) {
        m_process = std::make_unique<QProcess>();
        m_process->setWorkingDirectory(m_dir.path());
        m_process->start(QStringLiteral(TAVCTL_PATH), args);
        ASSERT_TRUE(m_process->waitForStarted());
    }
    Ran finish() {
        EXPECT_TRUE(waitUntil([&] { return m_process->state() == QProcess::NotRunning; }, 60000));
        return {m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1,
                m_process->readAllStandardOutput(), m_process->readAllStandardError()};
    }
    Ran run(const QStringList &args) {
        start(args);
        return finish();
    }
    static std::vector<QJsonObject> objects(const QByteArray &out) {
        std::vector<QJsonObject> objects;
        for (const QByteArray &line : out.split('\n')) {
            if (!line.isEmpty()) {
                objects.push_back(QJsonDocument::fromJson(line).object());
            }
        }
        return objects;
    }
    static quint16 closedPort() {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        return server.serverPort(); // nothing listens once it goes
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
};

// What the logger receives for each command: the greeting, the frames, then the goodbye,
// except after a restart command.
TEST_F(Tavctl, EachCommandSendsItsFramesBetweenGreetingAndGoodbye) {
    FakeLogger logger;
    list({{"North", logger.port()}});
    const struct {
        QStringList args;
        QByteArray frames;
        bool goodbye = true;
    } cases[] = {
        {{"ping"}, ""},
        {{"version"}, "TAV@07"},
        {{"sync-server"}, "TAV@09"},
        {{"ntp"}, "TAV@15"},
        {{"ask-devices"}, "TAV@18"},
        {{"gprs-signal"}, "TAV@42"},
        {{"show-log"}, "TAV@17"},
        {{"register"}, "TAV@30"},
        {{"apply"}, "TAV@12"},
        {{"params"}, "TAV@03"},
        {{"set", "A=1", "B=x=y", "=", QStringLiteral("Caf\u00e9=\u20ac5")},
         "TAV@04A:1TAV@04B:x=yTAV@04:TAV@04Caf\xe9:\x80"
         "5"},
        {{"set", "--apply", "LEVEL=3"}, "TAV@04LEVEL:3TAV@12"},
        {{"alarm", "12", "3"}, "TAV@210000001200000003"},
        {{"alarm", "12.6", "0"}, "TAV@210000001300000000"},
        {{"linux", "ls -l"}, "TAV@22ls -l"},
        {{"linux", ""}, "TAV@22"},
        {{"reboot", "--yes"}, "TAV@05", false},
        {{"update", "--yes"}, "TAV@11", false},
        {{"local-update", "--yes"}, "TAV@31", false},
    };
    qsizetype before = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Ran ran = run(QStringList{"--quiet", "30"} + c.args);
        EXPECT_EQ(ran.status, 0) << ran.err.toStdString();
        const QByteArray expected = "TAV@01" + c.frames + (c.goodbye ? "TAV@02" : "");
        waitUntil([&] { return logger.received().size() - before >= expected.size(); });
        EXPECT_EQ(logger.received().sliced(before), expected);
        before = logger.received().size();
    }
}

TEST_F(Tavctl, JsonOfTwoAnsweringLoggersAndARefusedOne) {
    FakeLogger north;
    FakeLogger south;
    list({{"North", north.port()}, {"Gone", closedPort()}, {"South", south.port()}});
    const Ran ran = run({"--json", "--quiet", "50", "version"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_TRUE(ran.err.isEmpty()); // no progress when standard error is no terminal
    const auto results = objects(ran.out);
    ASSERT_EQ(results.size(), 3u) << ran.out.toStdString();
    const QJsonArray none;
    for (int i : {0, 2}) {
        EXPECT_EQ(results[i]["ok"], true);
        EXPECT_TRUE(results[i]["error"].isNull());
        EXPECT_TRUE(results[i]["connect_ms"].isDouble());
        EXPECT_EQ(results[i]["greeting"], QJsonArray{"Welcome"});
        EXPECT_EQ(results[i]["operation"], QJsonArray{"ack TAV@07"});
        EXPECT_EQ(results[i]["trace"], none);
        EXPECT_EQ(results[i]["goodbye"], QJsonArray{"ack TAV@02"});
    }
    EXPECT_EQ(results[0]["logger"], "North");
    EXPECT_EQ(results[0]["port"], north.port());
    EXPECT_EQ(results[2]["logger"], "South");
    EXPECT_EQ(results[1]["logger"], "Gone");
    EXPECT_EQ(results[1]["host"], "127.0.0.1");
    EXPECT_EQ(results[1]["ok"], false);
    EXPECT_EQ(results[1]["error"], "refused");
    EXPECT_TRUE(results[1]["connect_ms"].isNull());
    for (FakeLogger *logger : {&north, &south}) {
        waitUntil([&] { return logger->received().size() >= 18; });
        EXPECT_EQ(logger->received(), "TAV@01TAV@07TAV@02");
    }
}

// Loggers that answer slowly, never answer, drop the link in mid-reply or never let a
// connection through, as the simulator plays them.
TEST_F(Tavctl, SimulatedFaultsInJson) {
    const QByteArray version = "Version TAV-3 firmware 4.2.1 (sim)";
    const struct {
        QStringList simulator;
        QStringList tavctl;
        QJsonValue error;
        QJsonArray operation;
    } cases[] = {
        {{"--delay", "300"}, {"--quiet", "900"}, QJsonValue(), {QString(version)}},
        {{"--mute"}, {"--quiet", "50"}, QJsonValue(), {}},
        // The first half of "{Version ...}\r\n", its brace and all.
        {{"--drop-mid-reply", "2"},
         {"--quiet", "300"},
         "dropped by the logger",
         {QString(version.first((version.size() + 4) / 2 - 1))}},
        {{"--dead-port"}, {"--timeout", "1"}, "no answer in 1 s", {}},
        // Never quiet: each reply ends when its time is up.
        {{"--trace-interval", "0.05"},
         {"--quiet", "300", "--wait", "1"},
         QJsonValue(),
         {QString(version)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.simulator.join(' ').toStdString());
        SimProcess sim;
        ASSERT_TRUE(sim.start(QStringList{"--trace-interval", "0"} + c.simulator))
            << sim.error().toStdString();
        list({{"Sim", sim.port()}});
        const Ran ran = run(QStringList{"--json"} + c.tavctl + QStringList{"version"});
        const auto results = objects(ran.out);
        ASSERT_EQ(results.size(), 1u) << ran.err.toStdString();
        EXPECT_EQ(ran.status, c.error.isNull() ? 0 : 1);
        EXPECT_EQ(results[0]["error"], c.error);
        EXPECT_EQ(results[0]["operation"], c.operation);
    }
}

// Nothing is sent to any logger when an argument, an option or the list is refused.
TEST_F(Tavctl, RefusalsContactNoLogger) {
    FakeLogger logger;
    list({{"North", logger.port()}});
    const struct {
        QStringList args;
        QString message;
    } cases[] = {
        {{"reboot"}, "reboot restarts every chosen logger: add --yes to confirm"},
        {{"local-update"}, "local-update restarts every chosen logger: add --yes to confirm"},
        {{"alarm", "abc", "1"}, "Id debe ser entre 0 y 99999999"},
        {{"alarm", "1", "100000000"}, "Alarma debe ser entre 0 y 99999999"},
        {{"linux", QStringLiteral("ls \u0101")}, texts::unmappable(QChar(0x101))},
        {{"set", "A=1", "B=xTAV@05"}, texts::smuggledFrame(QStringLiteral("Value"))},
        {{"set", "LEVEL"}, "\"LEVEL\" is not NAME=VALUE"},
        {{"set"}, "set needs NAME=VALUE pairs or --from FILE"},
        {{"version", "now"}, "version takes no arguments"},
        {{"frobnicate"}, "unknown command \"frobnicate\" (see --help)"},
        {{"--logger", "South", "version"}, "no logger \"South\" in loggers.txt"},
        {{"--jobs", "65", "version"}, "--jobs needs a whole number from 1 to 64"},
        {{"--list", "none.txt", "ping"}, "cannot read none.txt: no such file"},
        {{"--save", "out", "version"}, "--save is only for params"},
        {{"--apply", "ping"}, "--apply is only for set"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Ran ran = run(c.args);
        EXPECT_EQ(ran.status, 2);
        EXPECT_EQ(QString::fromUtf8(ran.err), "tavctl: " + c.message + "\n");
        EXPECT_TRUE(ran.out.isEmpty());
    }
    EXPECT_EQ(logger.connections(), 0);
}

TEST_F(Tavctl, LoggerOptionChoosesLoggersAndResultsFollowTheList) {
    FakeLogger a, b, c;
    list({{"A", a.port()}, {"B", b.port()}, {"C", c.port()}});
    const Ran ran = run({"--quiet", "30", "--logger", "C", "--logger", "A", "version"});
    EXPECT_EQ(ran.status, 0);
    const QList<QByteArray> lines = ran.out.split('\n');
    ASSERT_EQ(lines.size(), 9) << ran.out.toStdString();
    for (const auto &[at, name, logger] : {std::tuple{0, "A", &a}, std::tuple{4, "C", &c}}) {
        EXPECT_TRUE(lines[at].startsWith(name + QByteArray("  127.0.0.1:") +
                                         QByteArray::number(logger->port()) +
                                         "  ok  connected in "));
        EXPECT_EQ(lines[at + 1], "  > Welcome");
        EXPECT_EQ(lines[at + 2], "  > ack TAV@07");
        EXPECT_EQ(lines[at + 3], "  > ack TAV@02");
    }
    EXPECT_EQ(b.connections(), 0);

    const QByteArray table = "A  127.0.0.1  " + QByteArray::number(a.port()) + "\n";
    EXPECT_EQ(run({"--logger", "A", "loggers"}).out, table);
    EXPECT_EQ(run({"--logger", "B", "--json", "loggers"}).out,
              "{\"host\":\"127.0.0.1\",\"logger\":\"B\",\"port\":" + QByteArray::number(b.port()) +
                  "}\n");
    EXPECT_EQ(b.connections(), 0);
}

// SIGINT and SIGTERM: each open link gets its goodbye and is closed; loggers not started
// yet are never contacted.
TEST_F(Tavctl, StopSignalsSayGoodbyeOnEveryOpenLink) {
    for (const auto &[signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        SCOPED_TRACE(signal);
        FakeLogger first(FakeLogger::Mode::Mute), second(FakeLogger::Mode::Mute), third;
        list({{"First", first.port()}, {"Second", second.port()}, {"Third", third.port()}});
        start({"--json", "--jobs", "2", "--quiet", "60000", "--wait", "60", "version"});
        ASSERT_TRUE(waitUntil(
            [&] { return first.received() == "TAV@01" && second.received() == "TAV@01"; }));
        ::kill(static_cast<pid_t>(m_process->processId()), signal);
        const Ran ran = finish();
        EXPECT_EQ(ran.status, status);
        for (FakeLogger *logger : {&first, &second}) {
            EXPECT_TRUE(waitUntil([&] { return !logger->linkOpen(); }));
            EXPECT_EQ(logger->received(), "TAV@01TAV@02");
        }
        EXPECT_EQ(third.connections(), 0);
        const auto results = objects(ran.out);
        ASSERT_EQ(results.size(), 3u);
        EXPECT_EQ(results[0]["error"], "interrupted");
        EXPECT_EQ(results[1]["error"], "interrupted");
        EXPECT_EQ(results[2]["error"], "not contacted (interrupted)");
    }
}

// One logger's parameters, saved, then sent to another byte for byte: Windows-1252 text,
// colons and '=' in values and an empty value included.
TEST_F(Tavctl, ParametersSavedFromOneLoggerAreSetOnAnother) {
    FakeLogger source, target;
    source.answers["03"] = "{Received ask parameters}\r\n{Parameters: 3}\r\n{SITE:Caf\xe9 =:x}\r\n"
                           "13:25:35 AI1=4.37mA\r\n{APN_USER:}\r\n{LEVEL:3}\r\n{End of list}\r\n";
    list({{"Pump/3", source.port()}, {"Spare", target.port()}});
    const Ran saved =
        run({"--json", "--quiet", "50", "--logger", "Pump/3", "params", "--save", "backup"});
    EXPECT_EQ(saved.status, 0) << saved.err.toStdString();
    const auto results = objects(saved.out);
    ASSERT_EQ(results.size(), 1u);
    const QJsonArray pairs{
        QJsonObject{{"name", "SITE"}, {"value", QStringLiteral("Caf\u00e9 =:x")}},
        QJsonObject{{"name", "APN_USER"}, {"value", ""}},
        QJsonObject{{"name", "LEVEL"}, {"value", "3"}}};
    EXPECT_EQ(results[0]["parameters"], pairs);
    QFile file(path("backup/Pump_3.params"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "SITE:Caf\xe9 =:x\nAPN_USER:\nLEVEL:3\n");

    const Ran set = run({"--quiet", "50", "--logger", "Spare", "--transcript", "log", "set",
                         "--from", "backup/Pump_3.params", "--apply"});
    EXPECT_EQ(set.status, 0) << set.err.toStdString();
    const QByteArray expected =
        "TAV@01TAV@04SITE:Caf\xe9 =:xTAV@04APN_USER:TAV@04LEVEL:3TAV@12TAV@02";
    waitUntil([&] { return target.received().size() >= expected.size(); });
    EXPECT_EQ(target.received(), expected);

    // The transcript: each frame and each arrival on a line of its own, timed, in order.
    QFile transcript(path("log/Spare.log"));
    ASSERT_TRUE(transcript.open(QIODevice::ReadOnly));
    const QRegularExpression entry(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z (->|<-|==) (.*)$"));
    QStringList sent, arrived;
    for (const QByteArray &line : transcript.readAll().split('\n')) {
        const auto match = entry.match(QString::fromLatin1(line));
        EXPECT_TRUE(line.isEmpty() || match.hasMatch()) << line.toStdString();
        if (match.captured(1) == "->") {
            sent << match.captured(2);
        } else if (match.captured(1) == "<-") {
            arrived << match.captured(2);
        }
    }
    EXPECT_EQ(sent, QStringList({"TAV@01", "TAV@04SITE:Caf\\xe9 =:x",
                                 "TAV@04APN_USER:", "TAV@04LEVEL:3", "TAV@12", "TAV@02"}));
    EXPECT_EQ(arrived.join(""),
              "{Welcome}\\x0d\\x0a{ack TAV@04}\\x0d\\x0a{ack TAV@04}\\x0d\\x0a"
              "{ack TAV@04}\\x0d\\x0a{ack TAV@12}\\x0d\\x0a{ack TAV@02}\\x0d\\x0a");
}

// The console's table keeps 201 parameters: a longer listing is reported, not saved.
TEST_F(Tavctl, AListingLongerThanTheConsoleKeepsIsNotSaved) {
    FakeLogger logger;
    QByteArray listing;
    for (int i = 1; i <= 202; ++i) {
        listing += "{P" + QByteArray::number(i) + ":" + QByteArray::number(i) + "}\r\n";
    }
    logger.answers["03"] = listing;
    list({{"North", logger.port()}});
    const Ran ran = run({"--json", "--quiet", "100", "params", "--save", "backup"});
    EXPECT_EQ(ran.status, 1);
    const auto results = objects(ran.out);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]["error"], "more parameters listed than the 201 the console keeps");
    const QJsonArray pairs = results[0]["parameters"].toArray();
    ASSERT_EQ(pairs.size(), 201);
    EXPECT_EQ(pairs[200]["name"], "P202"); // the console's last slot takes the last line
    EXPECT_FALSE(QFile::exists(path("backup/North.params")));
}

} // namespace
