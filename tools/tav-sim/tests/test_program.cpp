// The tav-sim program itself: what a script sees on stdout, exit codes, and how it stops.

#include "loopbackclient.h"
#include "printers.h"
#include "waituntil.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {

const QString kProgram = QStringLiteral(TAVSIM_EXE);

// Starts tav-sim and reads its "listening" lines; the ports are those it printed.
class RunningSim {
public:
    explicit RunningSim(const QStringList &args, int loggers) {
        m_process.start(kProgram, args);
        EXPECT_TRUE(m_process.waitForStarted(5000));
        const bool listed = waitUntil(
            [&] {
                m_stdout += m_process.readAllStandardOutput();
                return m_stdout.count('\n') >= loggers || m_process.state() == QProcess::NotRunning;
            },
            5000);
        EXPECT_TRUE(listed);
    }
    ~RunningSim() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    QProcess &process() { return m_process; }
    const QByteArray &stdoutText() const { return m_stdout; }
    bool waitFinished(int timeoutMs = 5000) {
        return waitUntil([&] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
    }

private:
    QProcess m_process;
    QByteArray m_stdout;
};

// AddressSanitizer keeps freed memory in quarantine, so resident memory says nothing
// about what the code holds; the memory bounds are checked in the ordinary builds.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryTells = false;
#else
constexpr bool kResidentMemoryTells = true;
#endif

// Resident memory of a process in KiB, from /proc; -1 when it cannot be read.
qint64 residentKib(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

quint16 firstPort(const QByteArray &stdoutText) {
    const QByteArray line = stdoutText.left(stdoutText.indexOf('\n'));
    return static_cast<quint16>(line.mid(line.lastIndexOf(':') + 1).toUInt());
}

// Keeps filler going to the simulator as fast as it takes it, with step() called between
// writes, until step() says done or the time is up.
bool streamUntil(LoopbackClient &client, const std::function<bool(qint64 sent)> &step,
                 int timeoutMs) {
    const QByteArray filler(256 * 1024, 'x');
    qint64 sent = 0;
    return waitUntil(
        [&] {
            while (client.socket().state() == QAbstractSocket::ConnectedState &&
                   client.socket().bytesToWrite() < filler.size()) {
                client.socket().write(filler);
                sent += filler.size();
            }
            return step(sent);
        },
        timeoutMs);
}

// Sends SIGTERM while step() keeps the simulator busy; true if it then exits cleanly.
::testing::AssertionResult stopsPromptlyOnSigterm(RunningSim &sim,
                                                  const std::function<void()> &step) {
    ::kill(static_cast<pid_t>(sim.process().processId()), SIGTERM);
    QElapsedTimer sinceSignal;
    sinceSignal.start();
    const bool finished = waitUntil(
        [&] {
            step();
            return sim.process().state() == QProcess::NotRunning;
        },
        5000);
    if (!finished || sinceSignal.elapsed() > 1500 || sim.process().exitCode() != 0) {
        return ::testing::AssertionFailure()
               << "finished " << finished << " after " << sinceSignal.elapsed() << " ms, exit code "
               << sim.process().exitCode();
    }
    return ::testing::AssertionSuccess();
}

TEST(TavSimProgram, PrintsListeningLinesAndStopsCleanlyOnSignals) {
    for (int signalNumber : {SIGTERM, SIGINT}) {
        RunningSim sim({"--port", "0", "--port", "0", "--trace-interval", "0"}, 2);
        const QRegularExpression line(
            QStringLiteral("^listening (North|South) 127\\.0\\.0\\.1:(\\d+)$"));
        const QList<QByteArray> lines = sim.stdoutText().trimmed().split('\n');
        ASSERT_EQ(lines.size(), 2) << sim.stdoutText().toStdString();
        QList<quint16> ports;
        for (int i = 0; i < 2; ++i) {
            const auto match = line.match(QString::fromLatin1(lines[i]));
            ASSERT_TRUE(match.hasMatch()) << lines[i].toStdString();
            EXPECT_EQ(match.captured(1), i == 0 ? "North" : "South");
            ports.append(static_cast<quint16>(match.captured(2).toUInt()));
            EXPECT_NE(ports.last(), 0);
        }

        LoopbackClient client;
        client.connectTo(ports[1]);
        ASSERT_TRUE(client.waitConnected());
        client.send("TAV@01");
        ASSERT_TRUE(client.waitFor("\r\n"));
        EXPECT_EQ(client.received(), "{Welcome to TAV-3 logger South}\r\n");

        ::kill(static_cast<pid_t>(sim.process().processId()), signalNumber);
        ASSERT_TRUE(sim.waitFinished());
        EXPECT_EQ(sim.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(sim.process().exitCode(), 0);
        EXPECT_TRUE(client.waitClosed());
        const QByteArray log = sim.process().readAllStandardError();
        EXPECT_TRUE(log.contains("[South] <- TAV@01\n")) << log.toStdString();
        EXPECT_TRUE(log.contains("stopping on signal " + QByteArray::number(signalNumber)));
    }
}

TEST(TavSimProgram, HelpAndRefusedOptions) {
    struct Case {
        QStringList args;
        int exitCode;
        QByteArray out;
        QByteArray err;
    };
    QTcpServer busy;
    ASSERT_TRUE(busy.listen(QHostAddress::LocalHost, 0));
    const QString busyPort = QString::number(busy.serverPort());
    const QList<Case> cases = {
        {{"--help"}, 0, "Usage: tav-sim [options]\n", ""},
        {{"--port", "70000"}, 2, "", "tav-sim: --port: needs a whole number from 0 to 65535\n"},
        {{"--frobnicate"}, 2, "", "tav-sim: unknown option --frobnicate (see --help)\n"},
        {{"--port", busyPort},
         1,
         "",
         "tav-sim: North: cannot listen on 127.0.0.1:" + busyPort.toLatin1() + ": "},
    };
    for (const Case &c : cases) {
        QProcess p;
        p.start(kProgram, c.args);
        ASSERT_TRUE(p.waitForFinished(5000)) << c.args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), c.exitCode) << c.args.join(' ').toStdString();
        const QByteArray out = p.readAllStandardOutput();
        const QByteArray err = p.readAllStandardError();
        if (c.out.isEmpty()) {
            EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        } else {
            EXPECT_TRUE(out.startsWith(c.out)) << out.toStdString();
        }
        EXPECT_TRUE(err.startsWith(c.err)) << err.toStdString();
    }
}

TEST(TavSimProgram, ExitsWhenTheWatchedProcessIsGone) {
    QProcess watched;
    watched.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(watched.waitForStarted(5000));
    RunningSim sim({"--port", "0", "--trace-interval", "0", "--parent-pid",
                    QString::number(watched.processId())},
                   1);
    EXPECT_EQ(sim.process().state(), QProcess::Running);
    watched.kill();
    ASSERT_TRUE(watched.waitForFinished(3000));
    ASSERT_TRUE(sim.waitFinished(3000));
    EXPECT_EQ(sim.process().exitCode(), 0);
    EXPECT_TRUE(
        sim.process().readAllStandardError().contains("stopping: the watched process is gone"));
}

TEST(TavSimProgram, ExitsWithItsParent) {
    // A shell starts tav-sim in the background and ends; tav-sim must notice and go. The shell
    // lives half a second first, a fixed sleep: the parent's end is the event under test, and
    // nothing tav-sim does tells the shell when it has started watching.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("sim.log"));
    const QString script =
        QStringLiteral("'%1' --port 0 --trace-interval 0 --exit-with-parent >/dev/null 2>'%2' & "
                       "sleep 0.5")
            .arg(kProgram, log);
    QProcess shell;
    shell.start(QStringLiteral("sh"), {QStringLiteral("-c"), script});
    ASSERT_TRUE(shell.waitForFinished(5000));
    QFile file(log);
    const bool stopped = waitUntil(
        [&] {
            if (!file.open(QIODevice::ReadOnly)) {
                return false;
            }
            const bool done = file.readAll().contains("stopping: the watched process is gone");
            file.close();
            return done;
        },
        3000);
    EXPECT_TRUE(stopped);
}

// Megabytes that are no frame, or one frame without end: one short reply when the run ends,
// a short log, memory that stays put, and a stop signal honoured while they keep coming.
TEST(TavSimProgram, EndlessInputGetsOneShortReplyInFlatMemory) {
    const qint64 run = 24 * 1024 * 1024;
    const QByteArray shown = QByteArray(64, 'x').toHex(' ');
    const QList<std::pair<QByteArray, QByteArray>> cases = {
        {"", "{Ignored 25165824 bytes outside a frame (" + shown + " ... (+25165760 bytes))}\r\n"},
        {"TAV@04", "{Frame too long, TAV@04 with 25165830 bytes (at most 65536), discarded}\r\n"},
    };
    for (const auto &[start, reply] : cases) {
        SCOPED_TRACE(start.toStdString());
        RunningSim sim({"--port", "0", "--trace-interval", "0", "--idle-ms", "10000"}, 1);
        const qint64 pid = sim.process().processId();
        LoopbackClient client;
        client.connectTo(firstPort(sim.stdoutText()));
        ASSERT_TRUE(client.waitConnected());
        const qint64 before = residentKib(pid);
        qint64 most = before;
        client.send(start);
        ASSERT_TRUE(streamUntil(
            client,
            [&](qint64 sent) {
                most = std::max(most, residentKib(pid));
                return sent >= run;
            },
            20000));
        client.socket().write("TAV@07");
        ASSERT_TRUE(waitUntil(
            [&] {
                most = std::max(most, residentKib(pid));
                return client.received().endsWith("(sim)}\r\n");
            },
            20000));
        EXPECT_TRUE(client.received() == reply + "{Version TAV-3 firmware 4.2.1 (sim)}\r\n")
            << client.received().left(400).toStdString();
        EXPECT_GT(before, 0);
        if (kResidentMemoryTells) {
            EXPECT_LT(most - before, 8 * 1024) << "KiB more than at the start";
        }

        // The stream goes on; the signal still gets its turn.
        EXPECT_TRUE(stopsPromptlyOnSigterm(sim, [&] {
            streamUntil(
                client, [](qint64) { return true; }, 0);
        }));
        const QByteArray log = sim.process().readAllStandardError();
        EXPECT_LT(log.size(), 1500) << log.left(3000).toStdString();
        EXPECT_TRUE(log.contains("[North] <- TAV@07\n")) << log.left(3000).toStdString();
    }
}

// Any flood size is served: its lines are made as the link drains, one byte a write here.
TEST(TavSimProgram, FloodOfAnySizeIsMadeAsTheLinkDrains) {
    RunningSim sim({"--port", "0", "--trace-interval", "0", "--flood", "10000000", "--chunk", "1",
                    "--chunk-gap", "0"},
                   1);
    const qint64 pid = sim.process().processId();
    LoopbackClient client;
    client.connectTo(firstPort(sim.stdoutText()));
    ASSERT_TRUE(client.waitConnected());
    const qint64 before = residentKib(pid);
    qint64 most = before;
    client.send("TAV@01");
    ASSERT_TRUE(waitUntil(
        [&] {
            most = std::max(most, residentKib(pid));
            return client.received().contains(" #2000/10000000 ");
        },
        20000));
    if (kResidentMemoryTells) {
        EXPECT_LT(most - before, 8 * 1024) << "KiB more than at the start";
    }
    const QList<QByteArray> lines = client.received().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "{Welcome to TAV-3 logger North}\r");
    const QRegularExpression first(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d #1/10000000 AI1=4\\.00mA AI2=12\\.00mA\r$"));
    EXPECT_TRUE(first.match(QString::fromLatin1(lines[1])).hasMatch()) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(" #2/10000000 AI1=4.37mA AI2=12.53mA\r"));
    EXPECT_TRUE(stopsPromptlyOnSigterm(sim, [] {}));
}

// A name given with control bytes cannot steer the terminal: shown escaped on stdout and in
// the log; the logger still tells the console its name as given (in its 8-bit code page).
TEST(TavSimProgram, NamesAreShownEscaped) {
    const struct {
        const char *name; // UTF-8, as a shell hands it over
        QByteArray shown, told;
    } cases[] = {
        {"Pump\x1b[2J\a3", "Pump\\x1b[2J\\x073", "Pump\x1b[2J\a3"},
        // U+009B, a CSI: one byte in the code page, two in UTF-8.
        {"A\xc2\x9b"
         "31mB",
         "A\\x9b31mB",
         "A\x9b"
         "31mB"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown.toStdString());
        RunningSim sim(
            {"--port", "0", "--trace-interval", "0", "--name", QString::fromUtf8(c.name)}, 1);
        const quint16 port = firstPort(sim.stdoutText());
        EXPECT_EQ(sim.stdoutText(),
                  "listening " + c.shown + " 127.0.0.1:" + QByteArray::number(port) + "\n");
        LoopbackClient client;
        client.connectTo(port);
        ASSERT_TRUE(client.waitConnected());
        client.send("TAV@01");
        ASSERT_TRUE(client.waitFor("\r\n"));
        EXPECT_EQ(client.received(), "{Welcome to TAV-3 logger " + c.told + "}\r\n");
        EXPECT_TRUE(stopsPromptlyOnSigterm(sim, [] {}));
        const QByteArray log = sim.process().readAllStandardError();
        EXPECT_TRUE(
            log.contains("[" + c.shown + "] -> {Welcome to TAV-3 logger " + c.shown + "}\n"))
            << log.toStdString();
        for (const char control : {'\x1b', '\a', '\x9b'}) {
            EXPECT_FALSE(log.contains(control)) << log.toStdString();
        }
    }
}

// A client that sends the same frame a hundred thousand times: its log is a few lines.
TEST(TavSimProgram, RepeatedFramesAreLoggedOnceWithACount) {
    constexpr int kFrames = 100000;
    RunningSim sim({"--port", "0", "--trace-interval", "0"}, 1);
    LoopbackClient client;
    client.connectTo(firstPort(sim.stdoutText()));
    ASSERT_TRUE(client.waitConnected());
    client.send(QByteArray("TAV@07").repeated(kFrames));
    const QByteArray version = "{Version TAV-3 firmware 4.2.1 (sim)}\r\n";
    ASSERT_TRUE(
        waitUntil([&] { return client.received().size() == kFrames * version.size(); }, 20000));
    client.socket().disconnectFromHost();
    EXPECT_TRUE(stopsPromptlyOnSigterm(sim, [] {}));
    const QByteArray log = sim.process().readAllStandardError();
    EXPECT_LT(log.size(), 1000) << log.left(3000).toStdString();
    EXPECT_TRUE(log.contains("[North] <- TAV@07\n[North] -> {Version TAV-3 firmware 4.2.1 (sim)}\n"
                             "[North] (the 2 lines above 99999 more times)\n[North] connection "
                             "closed\n"))
        << log.left(3000).toStdString();
}

} // namespace
