// tav-sim: simulated TAV loggers on loopback ports, for using and testing the console
// without a logger. See README.md or --help.

#include "loggerendpoint.h"
#include "parentwatch.h"
#include "signalwatch.h"
#include "simoptions.h"
#include "simulator.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);

    const ParsedOptions parsed = SimOptions::parse(app.arguments().mid(1));
    if (parsed.help) {
        std::fputs(SimOptions::helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "tav-sim: %s\n", qPrintable(parsed.error));
        return 2;
    }

    const LogSink toStderr = [](const QByteArray &line) {
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fputc('\n', stderr);
    };

    Simulator simulator(*parsed.options, toStderr);
    SignalWatch signalWatch;
    QObject::connect(&signalWatch, &SignalWatch::stopRequested, &app, [&](int signalNumber) {
        toStderr("stopping on signal " + QByteArray::number(signalNumber));
        simulator.stop();
        app.quit();
    });

    QString error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "tav-sim: %s\n", qPrintable(error));
        return 1;
    }
    for (const LoggerEndpoint *logger : simulator.loggers()) {
        const QByteArray line = logger->listeningLine();
        std::fprintf(stdout, "%s\n", line.constData());
    }
    std::fflush(stdout);

    ParentWatch parentWatch(parsed.options->parentPid, parsed.options->exitWithParent);
    QObject::connect(&parentWatch, &ParentWatch::gone, &app, [&] {
        toStderr("stopping: the watched process is gone");
        simulator.stop();
        app.quit();
    });

    return app.exec();
}
