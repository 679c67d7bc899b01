// The tav-sim program itself: what a script sees on stdout, exit codes, and how it stops.

#include "loopbackclient.h"
#include "printers.h"
#include "waituntil.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

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
    // A shell starts tav-sim in the background and ends; tav-sim must notice and go.
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

} // namespace
