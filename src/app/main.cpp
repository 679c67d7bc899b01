#include "app/closeonstop.h"
#include "app/exitafterfirstpaint.h"
#include "app/heapreuse.h"
#include "app/mainwindow.h"
#include "app/messageboxprompter.h"
#include "base/clock.h"
#include "base/stopsignals.h"
#include "console/console.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace {

void sayNoDisplay(const char *why) {
    std::fprintf(stderr,
                 "mirvane: no display found (%s).\n"
                 "Run it from a desktop session, or under Xvfb: xvfb-run -a mirvane\n",
                 why);
}

QtMessageHandler g_qtHandler = nullptr;

// A display that is named but cannot be reached makes Qt give up with a fatal message
// about reinstalling; the operator is told what is really wrong instead, as when no
// display is named at all.
void onQtMessage(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    const bool xcbUnreachable = qstrcmp(context.category, "qt.qpa.xcb") == 0 &&
                                message.contains(QLatin1String("could not connect to display"));
    const bool pluginFailed = qstrcmp(context.category, "qt.qpa.plugin") == 0 &&
                              message.contains(QLatin1String("Could not load the Qt platform"));
    if (xcbUnreachable || pluginFailed) {
        return; // said below, in the operator's words
    }
    if (type == QtFatalMsg &&
        message.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        sayNoDisplay("the display named in DISPLAY cannot be reached");
        std::_Exit(2);
    }
    if (g_qtHandler) {
        g_qtHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

// The example list installed beside the program, if it is there.
QString exampleList() {
    const QString path = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                         QStringLiteral("/" MIRVANE_EXAMPLE_LIST));
    return QFileInfo::exists(path) ? path : QString();
}

} // namespace

int main(int argc, char **argv) {
    reuseFreedHeapMemory();
#ifdef Q_OS_LINUX
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        sayNoDisplay("DISPLAY and WAYLAND_DISPLAY are unset");
        return 2;
    }
#endif
    g_qtHandler = qInstallMessageHandler(onQtMessage);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    // What the console runs on: the PC's clock, message boxes over the window, and the
    // folder it was started in, which holds loggers.txt and takes tav.log.
    SteadyClock clock;
    MessageBoxPrompter prompter;
    Console console(prompter, clock, QString()); // the current folder, named as such
    MainWindow window(console, prompter);
    prompter.setParent(&window);
    const StopSignals &stopSignals = closeOnStopSignals(window);
    window.startUp(exampleList());
    if (stopSignals.received()) {
        return 0; // stopped during start-up, before there was anything to close down
    }
    exitAfterFirstPaintIfAsked(window);
    window.show();
    return QApplication::exec();
}
