// The console program itself, started as an operator would start it.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
