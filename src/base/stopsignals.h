#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT (a kill, a desktop logout, Ctrl+C) into a Qt signal on the
// event loop, so the console can close as its close box does instead of vanishing. The handler
// only writes the signal's number to a socket pair, the one thing it may safely do; the rest
// runs on the event loop. A signal the program was started ignoring (nohup) stays ignored.
// One instance at a time; the handling it found comes back when it goes. On systems without
// these signals it does nothing.
class StopSignals final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StopSignals)

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    bool isWatching() const { return m_notifier != nullptr; }
    // A signal has been taken from the pair (stopRequested was emitted).
    bool received() const { return m_received; }

Q_SIGNALS:
    void stopRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
    bool m_received = false;
};
