#pragma once

#include <QObject>
#include <QTimer>

// Notices when the process that should outlive the simulator is gone: a given process id,
// or the parent that started us (we are handed to another parent when it dies). Polls,
// because neither gives a signal that works everywhere.
class ParentWatch final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ParentWatch)

public:
    static constexpr int kPollMs = 500;

    // pid > 0: watch that process; watchParent: watch the current parent.
    ParentWatch(qint64 pid, bool watchParent, QObject *parent = nullptr);

    bool isWatching() const { return m_timer.isActive(); }
    static bool processExists(qint64 pid);

Q_SIGNALS:
    void gone();

private:
    void check();

    QTimer m_timer;
    qint64 m_pid;
    qint64 m_parentPid = 0; // 0 = parent not watched
};
