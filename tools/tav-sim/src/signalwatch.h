#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a Qt signal on the event loop, so the simulator can close
// its sockets and exit normally. The handler only writes to a socket pair (the one thing a
// signal handler may safely do); the rest runs on the event loop. One instance at a time.
class SignalWatch final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SignalWatch)

public:
    explicit SignalWatch(QObject *parent = nullptr);
    ~SignalWatch() override;

    bool isInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void stopRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
