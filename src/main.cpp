#include "console/ui/exitafterfirstpaint.h"
#include "console/ui/mainwindow.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv) {
#ifdef Q_OS_LINUX
    // Without a display Qt would abort with a plugin error; say what is wrong instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "mirvane: no display found (DISPLAY and WAYLAND_DISPLAY are unset).\n"
                             "Run it from a desktop session, or under Xvfb: "
                             "xvfb-run -a mirvane\n");
        return 2;
    }
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    MainWindow window;
    window.startUp();
    exitAfterFirstPaintIfAsked(window);
    window.show();
    return QApplication::exec();
}
