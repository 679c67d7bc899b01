#include "console/ui/mainwindow.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>

namespace {

// Benchmark hook (MIRVANE_EXIT_AFTER_SHOW): ends the program on the event-loop
// turn after the window's first paint, so "started" means "drawn", not just
// "show() called". exit() rather than quit(): no close-down pause in the figure.
class ExitAfterFirstPaint final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, this, [] { QApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

} // namespace

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
    Main window;
    window.startUp();
    if (qEnvironmentVariableIsSet("MIRVANE_EXIT_AFTER_SHOW")) {
        window.installEventFilter(new ExitAfterFirstPaint(&window));
    }
    window.show();
    return QApplication::exec();
}
