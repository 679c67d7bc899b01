// The simulator in this process, driven over loopback TCP by a test client that plays the
// console: what goes over the wire, byte for byte, and what the link does.

#include "loggerendpoint.h"
#include "loggersession.h"
#include "loopbackclient.h"
#include "printers.h"
#include "simulator.h"
#include "waituntil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

const QByteArray kGreeting = "{Welcome to TAV-3 logger North}\r\n";
const QByteArray kVersion = "{Version TAV-3 firmware 4.2.1 (sim)}\r\n";

class SimulatorLoopback : public ::testing::Test {
protected:
    // Quiet and quick by default: no trace lines, a short pause for variable frames.
    static SimOptions quiet() {
        SimOptions o;
        o.ports = {0};
        o.traceIntervalSeconds = 0;
        o.idlePauseMs = 60;
        return o;
    }

    void start(const SimOptions &options) {
        m_sim = std::make_unique<Simulator>(options,
                                            [this](const QByteArray &line) { m_log.append(line); });
        QString error;
        ASSERT_TRUE(m_sim->start(&error)) << error.toStdString();
        ASSERT_FALSE(m_sim->loggers().isEmpty());
        m_port = endpoint().port();
        ASSERT_NE(m_port, 0);
    }

    LoggerEndpoint &endpoint(int i = 0) { return *m_sim->loggers().at(i); }

    void connect(LoopbackClient &client, quint16 port = 0) {
        client.connectTo(port ? port : m_port);
        ASSERT_TRUE(client.waitConnected());
    }

    // Sends frame and waits until the reply ends with last.
    QByteArray exchange(LoopbackClient &client, const QByteArray &frame, const QByteArray &last) {
        client.clear();
        client.send(frame);
        EXPECT_TRUE(client.waitFor(last))
            << "waiting for " << last.toStdString() << ", got " << client.received().toStdString();
        return client.received();
    }

    bool logged(const QByteArray &line) const { return m_log.contains(line); }
    bool logContains(const QByteArray &text) const {
        for (const QByteArray &line : m_log) {
            if (line.contains(text)) {
                return true;
            }
        }
        return false;
    }

    // Every separate write of the next session, in order.
    void recordWrites() {
        QObject::connect(&endpoint(), &LoggerEndpoint::sessionStarted, &endpoint(),
                         [this](LoggerSession *session) {
                             QObject::connect(
                                 session, &LoggerSession::wrote, session,
                                 [this](const QByteArray &piece) { m_writes.append(piece); });
                         });
    }

    // Stopped before the lists its log and write handlers fill go away.
    void TearDown() override { m_sim.reset(); }

    QList<QByteArray> m_log;
    QList<QByteArray> m_writes;
    quint16 m_port = 0;
    std::unique_ptr<Simulator> m_sim;
};

QByteArray joined(const QList<QByteArray> &pieces) {
    QByteArray out;
    for (const QByteArray &p : pieces) {
        out += p;
    }
    return out;
}

TEST_F(SimulatorLoopback, GreetingAndVersionExactBytes) {
    start(quiet());
    LoopbackClient client;
    connect(client);
    EXPECT_EQ(exchange(client, "TAV@01", "\r\n"), kGreeting);
    EXPECT_EQ(exchange(client, "TAV@07", "\r\n"), kVersion);
    EXPECT_TRUE(logged("[North] <- TAV@01"));
    EXPECT_TRUE(logged("[North] -> {Welcome to TAV-3 logger North}"));
}

TEST_F(SimulatorLoopback, ListingHasHeaderAndTwentyOrMoreParameters) {
    start(quiet());
    LoopbackClient client;
    connect(client);
    const QByteArray reply = exchange(client, "TAV@03", "{End of list}\r\n");
    ASSERT_TRUE(reply.endsWith("{End of list}\r\n"));
    // Collected the way the console does: operation lines with a colon, minus the headers.
    const QRegularExpression parameter(QStringLiteral("^\\{([A-Z][A-Z0-9_]*):([^{}]*)\\}$"));
    int header = 0;
    int parameters = 0;
    for (const QByteArray &line : reply.split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        ASSERT_TRUE(line.endsWith('\r')) << line.toStdString();
        const QByteArray text = line.chopped(1);
        if (text.contains("Parameters")) {
            ++header;
        } else if (parameter.match(QString::fromLatin1(text)).hasMatch()) {
            ++parameters;
        }
    }
    EXPECT_GE(header, 1);
    EXPECT_GE(parameters, 20);
    EXPECT_TRUE(reply.startsWith("{Received ask parameters}\r\n{Parameters: 26}\r\n"));
}

TEST_F(SimulatorLoopback, ChangeShowsOnlyAfterApplyAndSurvivesReconnect) {
    start(quiet());
    LoopbackClient client;
    connect(client);
    EXPECT_EQ(exchange(client, "TAV@04LEVEL:5", "\r\n"),
              "{Parameter LEVEL set to 5, pending apply}\r\n");
    QByteArray listing = exchange(client, "TAV@03", "{End of list}\r\n");
    EXPECT_TRUE(listing.contains("{LEVEL:3}\r\n"));
    EXPECT_FALSE(listing.contains("{LEVEL:5}"));

    EXPECT_EQ(exchange(client, "TAV@12", "\r\n"), "{Parameters applied: 1}\r\n");
    listing = exchange(client, "TAV@03", "{End of list}\r\n");
    EXPECT_TRUE(listing.contains("{LEVEL:5}\r\n"));
    EXPECT_FALSE(listing.contains("{LEVEL:3}"));

    client.socket().disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return endpoint().session() == nullptr; }));
    connect(client);
    listing = exchange(client, "TAV@03", "{End of list}\r\n");
    EXPECT_TRUE(listing.contains("{LEVEL:5}\r\n"));
}

TEST_F(SimulatorLoopback, LinuxCommandIsEchoedAndNeverRun) {
    start(quiet());
    LoopbackClient client;
    connect(client);
    const QByteArray path =
        (QDir::tempPath() + "/x-" + QUuid::createUuid().toString(QUuid::WithoutBraces))
            .toLocal8Bit();
    ASSERT_FALSE(QFile::exists(QString::fromLocal8Bit(path)));
    for (const QByteArray &command : {"touch " + path, "sh -c 'echo hi > " + path + "'"}) {
        EXPECT_EQ(exchange(client, "TAV@22" + command, "(simulated, not run)}\r\n"),
                  "{$ " + command + "}\r\n{(simulated, not run)}\r\n");
        EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(path)));
    }
}

TEST_F(SimulatorLoopback, GluedAndSplitFramesAreAnsweredInOrder) {
    start(quiet());
    LoopbackClient client;
    connect(client);
    const QByteArray expected = kVersion + "{Parameter LEVEL set to 6, pending apply}\r\n"
                                           "{Parameters applied: 1}\r\n"
                                           "{Clock set to 2019-03-07 13:10:13 UTC}\r\n";
    // A clock whose minute and second are the bytes LF and CR.
    const QByteArray clock = "TAV@41" + bytes({19, 3, 7, 13, 10, 13});
    const QByteArray stream = "TAV@07TAV@04LEVEL:6TAV@12" + clock;
    EXPECT_EQ(exchange(client, stream, "UTC}\r\n"), expected);

    client.clear();
    for (qsizetype at = 0; at < stream.size(); at += 4) {
        client.send(stream.mid(at, 4));
        waitUntil([] { return false; }, 5); // let each piece arrive on its own
    }
    ASSERT_TRUE(client.waitFor("UTC}\r\n"));
    EXPECT_EQ(client.received(), expected);
    EXPECT_TRUE(logged("[North] <- TAV@41 13 03 07 0d 0a 0d"));
}

TEST_F(SimulatorLoopback, VariableFrameAloneEndsAtThePause) {
    SimOptions o = quiet();
    o.idlePauseMs = 300;
    start(o);
    LoopbackClient client;
    connect(client);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(exchange(client, "TAV@99", "\r\n"), "{Unknown command TAV@99}\r\n");
    EXPECT_GE(timer.elapsed(), 290);
    timer.restart();
    EXPECT_EQ(exchange(client, "xyzTAV@07", kVersion),
              "{Ignored 3 bytes outside a frame (78 79 7a)}\r\n" + kVersion);
    EXPECT_LT(timer.elapsed(), 250); // ended by the next marker, not the pause
}

TEST_F(SimulatorLoopback, FtpPasswordIsNeitherRepliedNorLogged) {
    start(quiet());
    LoopbackClient client;
    connect(client);
    const QByteArray reply =
        exchange(client, "TAV@10tavupdate:tav2019@ftp.example.net", "(simulated)}\r\n");
    EXPECT_EQ(reply, "{FTP account user=tavupdate server=ftp.example.net}\r\n"
                     "{app1 received from ftp.example.net (simulated)}\r\n");
    EXPECT_TRUE(logged("[North] <- TAV@10tavupdate:*******@ftp.example.net"));
    EXPECT_FALSE(logContains("tav2019"));
}

TEST_F(SimulatorLoopback, RebootClosesAndRefusesForTheRestartTime) {
    SimOptions o = quiet();
    o.restartSeconds = 1;
    start(o);
    LoopbackClient client;
    connect(client);
    EXPECT_EQ(exchange(client, "TAV@05", "\r\n"), "{Reboot in progress}\r\n");
    ASSERT_TRUE(client.waitClosed(2000));
    QElapsedTimer sinceClose;
    sinceClose.start();
    EXPECT_EQ(client.received(), "{Reboot in progress}\r\n");
    ASSERT_TRUE(endpoint().isRestarting());

    // While restarting: accepted by the kernel, closed at once, nothing said.
    LoopbackClient early;
    early.connectTo(m_port);
    ASSERT_TRUE(early.waitClosed(2000));
    EXPECT_LT(sinceClose.elapsed(), 900);
    EXPECT_TRUE(early.received().isEmpty());
    EXPECT_TRUE(logContains("refused a connection"));
    EXPECT_TRUE(logContains(": restarting, 1 s left"));

    ASSERT_TRUE(waitUntil([&] { return !endpoint().isRestarting(); }, 3000));
    EXPECT_GE(sinceClose.elapsed(), 850);
    LoopbackClient later;
    connect(later);
    EXPECT_EQ(exchange(later, "TAV@01", "\r\n"), kGreeting);
    EXPECT_FALSE(later.isClosed());
}

TEST_F(SimulatorLoopback, UpdateAndLocalUpdateRestartToo) {
    for (const QByteArray &frame : {QByteArray("TAV@11"), QByteArray("TAV@31")}) {
        SimOptions o = quiet();
        o.restartSeconds = 0.2;
        start(o);
        LoopbackClient client;
        connect(client);
        client.send(frame);
        ASSERT_TRUE(client.waitClosed(2000)) << frame.toStdString();
        EXPECT_TRUE(client.received().endsWith("}\r\n"));
        EXPECT_TRUE(logged("[North] restarting: unreachable for 0.2 s"));
        m_sim.reset();
        m_log.clear();
    }
}

TEST_F(SimulatorLoopback, GoodbyeClosesAndLaterFramesAreNotAnswered) {
    start(quiet());
    LoopbackClient client;
    connect(client);
    client.send("TAV@02TAV@07");
    ASSERT_TRUE(client.waitClosed(2000));
    EXPECT_EQ(client.received(), "{Bye}\r\n");
    EXPECT_TRUE(logged("[North]    (not answered: the link is closing)"));
}

TEST_F(SimulatorLoopback, SecondConnectionIsClosedFirstKeepsWorking) {
    start(quiet());
    LoopbackClient first;
    connect(first);
    EXPECT_EQ(exchange(first, "TAV@01", "\r\n"), kGreeting);
    LoopbackClient second;
    second.connectTo(m_port);
    ASSERT_TRUE(second.waitClosed(2000));
    EXPECT_TRUE(second.received().isEmpty());
    EXPECT_TRUE(logContains(": another console is connected"));
    EXPECT_EQ(exchange(first, "TAV@07", "\r\n"), kVersion);
    EXPECT_FALSE(first.isClosed());
}

TEST_F(SimulatorLoopback, ChunkCutsEveryWrite) {
    SimOptions o = quiet();
    o.chunkSize = 5;
    start(o);
    recordWrites();
    LoopbackClient client;
    connect(client);
    EXPECT_EQ(exchange(client, "TAV@01", "\r\n"), kGreeting);
    ASSERT_EQ(m_writes.size(), 7); // 33 bytes
    for (qsizetype i = 0; i < m_writes.size(); ++i) {
        EXPECT_EQ(m_writes[i].size(), i + 1 < m_writes.size() ? 5 : 3);
    }
    EXPECT_EQ(joined(m_writes), kGreeting);
    EXPECT_GT(client.arrivals().size(), 1);
    EXPECT_EQ(joined(client.arrivals()), kGreeting);
}

TEST_F(SimulatorLoopback, RandomChunksReassembleToTheWholeReply) {
    SimOptions o = quiet();
    o.randomChunkSeed = 11;
    o.chunkGapMs = 1;
    start(o);
    recordWrites();
    LoopbackClient client;
    connect(client);
    const QByteArray listing =
        LoggerModel("North", 1, QDateTime::currentDateTimeUtc())
            .answer(Frame{Frame::Kind::Command, "TAV@03"}, QDateTime::currentDateTimeUtc())
            .text;
    EXPECT_EQ(exchange(client, "TAV@03", "{End of list}\r\n"), listing);
    EXPECT_EQ(joined(m_writes), listing);
    EXPECT_GT(m_writes.size(), listing.size() / ReplyChunker::kDefaultRandomMax);
    for (const QByteArray &piece : std::as_const(m_writes)) {
        EXPECT_GE(piece.size(), 1);
        EXPECT_LE(piece.size(), ReplyChunker::kDefaultRandomMax);
    }
}

TEST_F(SimulatorLoopback, DropAfterEndsTheLinkWithoutAnsweringTheLastFrame) {
    SimOptions o = quiet();
    o.dropAfter = 2;
    start(o);
    LoopbackClient client;
    connect(client);
    EXPECT_EQ(exchange(client, "TAV@01", "\r\n"), kGreeting);
    client.clear();
    client.send("TAV@07");
    ASSERT_TRUE(client.waitClosed(2000));
    EXPECT_TRUE(client.received().isEmpty());
    EXPECT_TRUE(logged("[North] dropping the link after 2 frames"));
    // The count is per connection.
    connect(client);
    EXPECT_EQ(exchange(client, "TAV@01", "\r\n"), kGreeting);
}

TEST_F(SimulatorLoopback, DropMidReplySendsHalfTheAnswerThenEndsTheLink) {
    SimOptions o = quiet();
    o.dropMidReply = 2;
    start(o);
    LoopbackClient client;
    connect(client);
    EXPECT_EQ(exchange(client, "TAV@01", "\r\n"), kGreeting);
    client.clear();
    client.send("TAV@07");
    ASSERT_TRUE(client.waitClosed(2000));
    EXPECT_EQ(client.received(), kVersion.first(kVersion.size() / 2));
    EXPECT_TRUE(logged("[North] dropping the link in mid-reply"));
}

TEST_F(SimulatorLoopback, MuteTakesFramesAndAnswersNothing) {
    SimOptions o = quiet();
    o.mute = true;
    o.traceIntervalSeconds = 0.01;
    start(o);
    LoopbackClient client;
    connect(client);
    client.send("TAV@01");
    ASSERT_TRUE(waitUntil([&] { return logged("[North] <- TAV@01"); }));
    client.send("TAV@02");
    ASSERT_TRUE(waitUntil([&] { return logged("[North] <- TAV@02"); }));
    EXPECT_TRUE(logged("[North]    (not answered: mute)"));
    EXPECT_FALSE(logContains("] -> "));
    EXPECT_TRUE(client.received().isEmpty());
    EXPECT_FALSE(client.isClosed());
}

TEST_F(SimulatorLoopback, DelayHoldsEachReply) {
    SimOptions o = quiet();
    o.delayMs = 300;
    start(o);
    LoopbackClient client;
    connect(client);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(exchange(client, "TAV@07", "\r\n"), kVersion);
    EXPECT_GE(timer.elapsed(), 290);
}

TEST_F(SimulatorLoopback, FloodFollowsTheGreeting) {
    SimOptions o = quiet();
    o.flood = 500;
    start(o);
    LoopbackClient client;
    connect(client);
    client.send("TAV@01");
    ASSERT_TRUE(client.waitFor("#500/500 AI1="));
    ASSERT_TRUE(waitUntil([&] { return client.received().endsWith("mA\r\n"); }));
    const QList<QByteArray> lines = client.received().split('\n');
    ASSERT_EQ(lines.size(), 502); // greeting, 500 lines, and the empty rest
    EXPECT_EQ(lines[0] + '\n', kGreeting);
    const QRegularExpression trace(QStringLiteral(
        "^\\d\\d:\\d\\d:\\d\\d #(\\d+)/500 AI1=\\d+\\.\\d\\dmA AI2=\\d+\\.\\d\\dmA\r$"));
    for (int i = 1; i <= 500; ++i) {
        const auto match = trace.match(QString::fromLatin1(lines[i]));
        ASSERT_TRUE(match.hasMatch()) << lines[i].toStdString();
        ASSERT_EQ(match.captured(1).toInt(), i);
    }
}

// The answer to six bytes can be hundreds: a console that stops reading stops the reading,
// and everything is answered once it reads again.
TEST_F(SimulatorLoopback, AConsoleThatDoesNotReadHoldsTheSimulatorBack) {
    start(quiet());
    const qsizetype frames = 40000; // 23 MB of replies
    const qsizetype listing =
        LoggerModel("North", 1, QDateTime::currentDateTimeUtc())
            .answer(Frame{Frame::Kind::Command, "TAV@03"}, QDateTime::currentDateTimeUtc())
            .text.size();
    QTcpSocket console; // reads nothing for now, and holds at most 64 KiB unread
    console.setReadBufferSize(64 * 1024);
    console.connectToHost(QHostAddress::LocalHost, m_port);
    ASSERT_TRUE(waitUntil([&] { return endpoint().session() != nullptr; }));
    QByteArray burst;
    for (qsizetype i = 0; i < frames; ++i) {
        burst += "TAV@03";
    }
    console.write(burst);
    // Counted by the session: the log counts a run of the same frame without a line each.
    auto answered = [&] { return endpoint().session() ? endpoint().session()->frames() : 0; };
    // Held back means: no more answers for a while. A fixed quiet time, since there is no event
    // for "nothing more happens" to wait for.
    qsizetype seen = -1;
    QElapsedTimer still;
    ASSERT_TRUE(waitUntil(
        [&] {
            if (answered() != seen) {
                seen = answered();
                still.restart();
            }
            return still.elapsed() > 300;
        },
        10000));
    EXPECT_GT(seen, 0);
    // What is held: the backlog, and what the kernel buffers on both sides (some MB).
    EXPECT_LT(seen, frames / 2) << seen << " of " << frames << " answered";

    qsizetype received = 0;
    QByteArray last;
    ASSERT_TRUE(waitUntil(
        [&] {
            const QByteArray bytes = console.readAll();
            received += bytes.size();
            last = (last + bytes).right(15);
            return received >= frames * listing;
        },
        20000))
        << received << " of " << frames * listing << " bytes";
    EXPECT_EQ(received, frames * listing);
    EXPECT_EQ(last, "{End of list}\r\n");
    EXPECT_EQ(answered(), frames);
}

TEST_F(SimulatorLoopback, TraceLinesComeUnasked) {
    SimOptions o = quiet();
    o.traceIntervalSeconds = 0.1;
    start(o);
    LoopbackClient client;
    connect(client);
    ASSERT_TRUE(waitUntil([&] { return client.received().count("\r\n") >= 2; }, 3000));
    const QRegularExpression trace(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d AI1=\\d+\\.\\d\\dmA AI2=\\d+\\.\\d\\dmA\r$"));
    const QList<QByteArray> lines = client.received().split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(trace.match(QString::fromLatin1(lines[i])).hasMatch())
            << lines[i].toStdString();
    }
}

TEST_F(SimulatorLoopback, DeadPortLetsNoConnectionThrough) {
    SimOptions o = quiet();
    o.deadPort = true;
    start(o);
    LoopbackClient client;
    client.connectTo(m_port);
    EXPECT_FALSE(client.waitConnected(1500));
    EXPECT_EQ(client.socket().state(), QAbstractSocket::ConnectingState);
    EXPECT_EQ(endpoint().session(), nullptr);
    client.socket().abort();
}

TEST_F(SimulatorLoopback, EachLoggerAnswersOnItsOwnPortAtTheSameTime) {
    SimOptions o = quiet();
    o.ports = {0, 0};
    o.names = {"Pump 3"};
    start(o);
    ASSERT_EQ(m_sim->loggers().size(), 2);
    EXPECT_EQ(endpoint(0).listeningLine(),
              "listening Pump 3 127.0.0.1:" + QByteArray::number(endpoint(0).port()));
    EXPECT_EQ(endpoint(1).listeningLine(),
              "listening South 127.0.0.1:" + QByteArray::number(endpoint(1).port()));
    LoopbackClient a;
    LoopbackClient b;
    connect(a, endpoint(0).port());
    connect(b, endpoint(1).port());
    EXPECT_EQ(exchange(a, "TAV@01", "\r\n"), "{Welcome to TAV-3 logger Pump 3}\r\n");
    EXPECT_EQ(exchange(b, "TAV@01", "\r\n"), "{Welcome to TAV-3 logger South}\r\n");
    EXPECT_EQ(exchange(b, "TAV@04LEVEL:8", "\r\n"),
              "{Parameter LEVEL set to 8, pending apply}\r\n");
    EXPECT_EQ(endpoint(0).model().pendingCount(), 0);
    EXPECT_EQ(endpoint(1).model().pendingCount(), 1);
}

TEST_F(SimulatorLoopback, StopClosesOpenConnections) {
    start(quiet());
    LoopbackClient client;
    connect(client);
    EXPECT_EQ(exchange(client, "TAV@01", "\r\n"), kGreeting);
    m_sim->stop();
    EXPECT_TRUE(client.waitClosed(2000));
    EXPECT_TRUE(m_sim->loggers().isEmpty());
}

TEST_F(SimulatorLoopback, PortInUseIsReported) {
    start(quiet());
    SimOptions o = quiet();
    o.ports = {m_port};
    Simulator second(o, {});
    QString error;
    EXPECT_FALSE(second.start(&error));
    EXPECT_TRUE(
        error.startsWith(QStringLiteral("North: cannot listen on 127.0.0.1:%1: ").arg(m_port)))
        << error.toStdString();
    EXPECT_TRUE(second.loggers().isEmpty());
}

} // namespace
