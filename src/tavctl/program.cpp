#include "tavctl/program.h"

#include "base/stopsignals.h"
#include "link/connection.h"
#include "tavctl/fleet.h"
#include "tavctl/paramsfile.h"
#include "tavctl/plan.h"
#include "tavctl/pool.h"
#include "tavctl/report.h"
#include "tavctl/sessionclock.h"
#include "tavctl/texts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace tavctl {
namespace {

constexpr int kRefused = 2;

void write(std::FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

bool standardErrorIsTerminal() {
#if defined(Q_OS_UNIX)
    return ::isatty(STDERR_FILENO) == 1;
#else
    return false;
#endif
}

int refuse(const QString &why) {
    write(stderr, (texts::refusal(why) + QLatin1Char('\n')).toUtf8());
    return kRefused;
}

QString helpText(const QCommandLineParser &parser) {
    // Named as it is installed, wherever it was started from.
    QString out = parser.helpText();
    out.replace(0, out.indexOf(u'\n'),
                QStringLiteral("Usage: tavctl [options] COMMAND [ARGUMENT...]"));
    out += QStringLiteral("\nCommands:\n");
    for (const CommandHelp &command : commandHelp()) {
        QString name = QString::fromLatin1(command.name);
        if (command.arguments[0] != '\0') {
            name += QLatin1Char(' ') + QString::fromLatin1(command.arguments);
        }
        out += QStringLiteral("  ") + name.leftJustified(18) + QLatin1Char(' ') +
               QString::fromUtf8(command.summary) + QLatin1Char('\n');
    }
    return out;
}

// The folder where files are written for each logger: made when missing, and writable.
bool usableFolder(const QString &folder) {
    const QFileInfo info(folder);
    return QDir().mkpath(folder) && info.isDir() && info.isWritable();
}

// Runs the pool and prints each result once those before it in the list are printed.
class Run final : public QObject {
public:
    Run(std::vector<LoggerEntry> loggers, const Plan &plan, SessionSettings settings, int jobs,
        bool json, QString saveFolder, QStringList fileNames, QStringList transcripts)
        : m_plan(plan), m_json(json), m_saveFolder(std::move(saveFolder)),
          m_fileNames(std::move(fileNames)),
          m_pool(std::move(loggers), plan, settings, jobs, m_clock, std::move(transcripts)),
          m_ready(static_cast<std::size_t>(m_pool.total()), false),
          m_progress(standardErrorIsTerminal()) {
        connect(&m_pool, &SessionPool::resultReady, this, &Run::onResult);
        connect(&m_pool, &SessionPool::finished, this, &Run::onFinished);
        connect(&m_stopSignals, &StopSignals::stopRequested, this, [this](int signalNumber) {
            if (m_signal == 0) {
                m_signal = signalNumber;
                m_pool.stop();
            }
        });
    }

    int exec() {
        m_pool.start();
        showProgress();
        return QCoreApplication::exec();
    }

private:
    void onResult(int index) {
        LoggerResult &result = m_pool.result(index);
        if (m_plan.listParameters && !m_saveFolder.isEmpty() && result.ok) {
            const QString path =
                QDir(m_saveFolder).filePath(m_fileNames[index] + QStringLiteral(".params"));
            if (const auto failure = writeParamsFile(path, result.parameters)) {
                result.ok = false;
                result.error = texts::parametersNotSaved(*failure);
            }
        }
        m_ready[static_cast<std::size_t>(index)] = true;
        clearProgress();
        while (m_printed < m_pool.total() && m_ready[static_cast<std::size_t>(m_printed)]) {
            LoggerResult &next = m_pool.result(m_printed++);
            m_allOk = m_allOk && next.ok;
            write(stdout, m_json ? jsonLine(next, m_plan.listParameters) : terminalBlock(next));
            // Printed: its text is no longer needed while the others run.
            next.greeting = {};
            next.reply = {};
            next.goodbye = {};
            next.parameters = {};
        }
        showProgress();
    }

    void onFinished() {
        clearProgress();
        QCoreApplication::exit(m_signal != 0 ? 128 + m_signal : m_allOk ? 0 : 1);
    }

    void showProgress() {
        if (m_progress && m_printed < m_pool.total()) {
            write(stderr,
                  (QLatin1Char('\r') + texts::progress(m_pool.done(), m_pool.total())).toUtf8());
            m_progressShown = true;
        }
    }

    void clearProgress() {
        if (m_progressShown) {
            write(stderr, "\r\033[K");
            m_progressShown = false;
        }
    }

    const Plan &m_plan;
    const bool m_json;
    const QString m_saveFolder;
    const QStringList m_fileNames;
    SteadySessionClock m_clock;
    SessionPool m_pool;
    StopSignals m_stopSignals;
    std::vector<bool> m_ready;
    const bool m_progress;
    bool m_progressShown = false;
    int m_printed = 0;
    bool m_allOk = true;
    int m_signal = 0;
};

} // namespace

int runProgram(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(texts::kDescription);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("the logger list (default: loggers.txt here)"),
                                  QStringLiteral("FILE"), QStringLiteral("loggers.txt"));
    const QCommandLineOption logger(QStringLiteral("logger"),
                                    QStringLiteral("this logger only (repeatable; default: all)"),
                                    QStringLiteral("ID"));
    const QCommandLineOption jobs(QStringLiteral("jobs"),
                                  QStringLiteral("loggers worked on at once (default 8; 1 to 64)"),
                                  QStringLiteral("N"), QStringLiteral("8"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"), QStringLiteral("connection wait per logger (default 30)"),
        QStringLiteral("S"), QString::number(Connection::kWaitTenths / 10));
    const QCommandLineOption quiet(
        QStringLiteral("quiet"),
        QStringLiteral("a reply is complete after MS ms of silence (1500)"), QStringLiteral("MS"),
        QStringLiteral("1500"));
    const QCommandLineOption wait(QStringLiteral("wait"),
                                  QStringLiteral("the longest time to collect one reply (20)"),
                                  QStringLiteral("S"), QStringLiteral("20"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("one JSON object per logger per line"));
    const QCommandLineOption transcript(
        QStringLiteral("transcript"),
        QStringLiteral("DIR/<logger>.log: every frame and byte, timed"), QStringLiteral("DIR"));
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 QStringLiteral("confirm reboot, update and local-update"));
    const QCommandLineOption save(QStringLiteral("save"),
                                  QStringLiteral("params: also write DIR/<logger>.params"),
                                  QStringLiteral("DIR"));
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("set: the pairs of a .params file"),
                                  QStringLiteral("FILE"));
    const QCommandLineOption apply(QStringLiteral("apply"),
                                   QStringLiteral("set: \"TAV@12\" after the last pair"));
    for (const QCommandLineOption *option : {&list, &logger, &jobs, &timeout, &quiet, &wait, &json,
                                             &transcript, &yes, &save, &from, &apply}) {
        parser.addOption(*option);
    }
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("one of the commands below, with its arguments"),
                                 QStringLiteral("COMMAND [ARGUMENT...]"));

    if (!parser.parse(arguments)) {
        return refuse(parser.errorText());
    }
    if (parser.isSet(help)) {
        write(stdout, helpText(parser).toUtf8());
        return 0;
    }
    if (parser.isSet(version)) {
        write(stdout, QByteArrayLiteral("tavctl " TAVCTL_VERSION "\n"));
        return 0;
    }

    struct Number {
        const QCommandLineOption &option;
        qint64 least;
        qint64 most;
        qint64 value = 0;
    };
    Number numbers[] = {{jobs, 1, 64}, {timeout, 1, 3600}, {quiet, 1, 600'000}, {wait, 1, 3600}};
    for (Number &number : numbers) {
        bool ok = false;
        number.value = parser.value(number.option).toLongLong(&ok);
        if (!ok || number.value < number.least || number.value > number.most) {
            return refuse(
                texts::badNumber(number.option.names().first(), number.least, number.most));
        }
    }

    QStringList positional = parser.positionalArguments();
    PlanRequest request;
    request.command = positional.isEmpty() ? QString() : positional.takeFirst();
    request.arguments = positional;
    request.yes = parser.isSet(yes);
    request.apply = parser.isSet(apply);
    if (parser.isSet(save) && request.command != QLatin1String("params")) {
        return refuse(texts::onlyWith(QStringLiteral("save"), QStringLiteral("params")));
    }
    if (parser.isSet(from)) {
        ParamsRead read = readParamsFile(parser.value(from));
        if (!read.error.isEmpty()) {
            return refuse(read.error);
        }
        request.fromFile = std::move(read.pairs);
        request.hasFromFile = true;
    }
    SteadySessionClock clock;
    const PlanOutcome outcome = buildPlan(request, clock);
    if (!outcome.plan) {
        return refuse(outcome.error);
    }
    const Plan &plan = *outcome.plan;

    const QString listPath = parser.value(list);
    FleetOutcome fleet = selectLoggers(readFleet(listPath), parser.values(logger), listPath);
    if (!fleet.error.isEmpty()) {
        return refuse(fleet.error);
    }
    if (!plan.contactsLoggers()) {
        write(stdout, loggerTable(fleet.loggers, parser.isSet(json)));
        return 0;
    }
    const QString saveFolder = parser.value(save);
    const QString transcriptFolder = parser.value(transcript);
    for (const QString &folder : {saveFolder, transcriptFolder}) {
        if (!folder.isEmpty() && !usableFolder(folder)) {
            return refuse(texts::cannotUseFolder(folder));
        }
    }
    const QStringList names = safeFileNames(fleet.loggers);
    QStringList transcripts;
    if (!transcriptFolder.isEmpty()) {
        for (const QString &name : names) {
            transcripts << QDir(transcriptFolder).filePath(name + QStringLiteral(".log"));
        }
    }

    SessionSettings settings;
    settings.connectMs = numbers[1].value * 1000;
    settings.quietMs = numbers[2].value;
    settings.waitMs = numbers[3].value * 1000;
    Run run(std::move(fleet.loggers), plan, settings, static_cast<int>(numbers[0].value),
            parser.isSet(json), saveFolder, names, transcripts);
    return run.exec();
}

} // namespace tavctl
