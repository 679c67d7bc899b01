// The console program itself, started as an operator would start it.
#include "support/loopbackpeer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString errors;
};

ProgramRun runConsole(const QProcessEnvironment &environment) {
    QTemporaryDir dir;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(MIRVANE_PATH), {});
    ProgramRun run;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.status = process.exitStatus();
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

TEST(Program, WithoutAReachableDisplaySaysSoAndExitsTwo) {
    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.remove(QStringLiteral("QT_QPA_PLATFORM"));
    base.remove(QStringLiteral("WAYLAND_DISPLAY"));
    base.remove(QStringLiteral("DISPLAY"));
    QProcessEnvironment dead = base;
    // A display number no server listens on.
    dead.insert(QStringLiteral("DISPLAY"), QStringLiteral(":87"));
    for (const auto &[environment, why] :
         {std::pair{base, QStringLiteral("DISPLAY and WAYLAND_DISPLAY are unset")},
          std::pair{dead, QStringLiteral("the display named in DISPLAY cannot be reached")}}) {
        const ProgramRun run = runConsole(environment);
        EXPECT_EQ(run.status, QProcess::NormalExit) << why.toStdString();
        EXPECT_EQ(run.exitCode, 2) << why.toStdString();
        EXPECT_EQ(run.errors, "mirvane: no display found (" + why +
                                  ").\nRun it from a desktop session, or under Xvfb: "
                                  "xvfb-run -a mirvane\n");
    }
}

// A kill, a desktop logout or Ctrl+C ends the console through its close-down, within a second,
// instead of killing it on the spot.
TEST(Program, StopSignalsEndItThroughTheCloseDown) {
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        QTemporaryDir dir;
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(MIRVANE_PATH), {});
        QByteArray errors;
        // Said once the signals are taken, before the window shows.
        ASSERT_TRUE(waitUntil(
            [&] {
                errors += process.readAllStandardError();
                return errors.contains("mirvane: no loggers.txt in");
            },
            10000));
        ASSERT_EQ(::kill(static_cast<pid_t>(process.processId()), signalNumber), 0);
        QElapsedTimer took;
        took.start();
        const bool ended = process.waitForFinished(10000);
        std::printf("[ figures  ] signal %d: ended after %lld ms\n", signalNumber,
                    static_cast<long long>(took.elapsed()));
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        ASSERT_TRUE(ended);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
    }
}
