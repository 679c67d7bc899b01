#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

// Start-up measurement: with MIRVANE_EXIT_AFTER_SHOW set, the program ends on
// the event-loop turn after the window's first paint, so "started" means
// "drawn". exit() rather than quit(): no close-down pause in the figure.
// Header-only, so the benchmark's minimal window uses the very same hook
// without linking the console.
inline void exitAfterFirstPaintIfAsked(QWidget &window) {
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
    if (qEnvironmentVariableIsSet("MIRVANE_EXIT_AFTER_SHOW")) {
        window.installEventFilter(new ExitAfterFirstPaint(&window));
    }
}
