#include "parentwatch.h"

#include <cerrno>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

ParentWatch::ParentWatch(qint64 pid, bool watchParent, QObject *parent)
    : QObject(parent), m_pid(pid), m_parentPid(watchParent ? ::getppid() : 0) {
    connect(&m_timer, &QTimer::timeout, this, &ParentWatch::check);
    if (m_pid > 0 || m_parentPid > 0) {
        m_timer.start(kPollMs);
    }
}

bool ParentWatch::processExists(qint64 pid) {
    // Signal 0 checks existence only; EPERM means it exists but is not ours.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void ParentWatch::check() {
    const bool pidGone = m_pid > 0 && !processExists(m_pid);
    const bool parentGone = m_parentPid > 0 && ::getppid() != m_parentPid;
    if (pidGone || parentGone) {
        m_timer.stop();
        Q_EMIT gone();
    }
}
