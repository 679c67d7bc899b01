#include "tavctl/pool.h"

#include "tavctl/texts.h"
#include "tavctl/transcript.h"

namespace tavctl {

SessionPool::SessionPool(std::vector<LoggerEntry> loggers, const Plan &plan,
                         SessionSettings settings, int jobs, const SessionClock &clock,
                         QStringList transcripts, QObject *parent)
    : QObject(parent), m_plan(plan), m_settings(settings), m_jobs(std::max(1, jobs)),
      m_clock(clock), m_transcripts(std::move(transcripts)) {
    m_results.reserve(loggers.size());
    for (LoggerEntry &logger : loggers) {
        LoggerResult result;
        result.logger = std::move(logger);
        result.error = texts::kNotContacted;
        m_results.push_back(std::move(result));
    }
}

void SessionPool::start() {
    fill();
    if (m_done == total()) {
        QMetaObject::invokeMethod(this, &SessionPool::finished, Qt::QueuedConnection);
    }
}

void SessionPool::fill() {
    while (!m_stopping && m_running < m_jobs && m_next < total()) {
        startNext();
    }
}

void SessionPool::startNext() {
    const int index = m_next++;
    std::unique_ptr<Transcript> transcript;
    if (index < m_transcripts.size() && !m_transcripts[index].isEmpty()) {
        QString error;
        transcript = Transcript::create(m_transcripts[index], error);
        if (!transcript) {
            // The folder was checked before the run: a file of its own that cannot be
            // written is this logger's failure alone.
            result(index).error = texts::cannotWrite(m_transcripts[index], error);
            settle(index);
            return;
        }
    }
    auto *session =
        new Session(result(index).logger, m_plan, m_settings, m_clock, std::move(transcript), this);
    ++m_running;
    connect(session, &Session::finished, this, [this, session, index] {
        result(index) = session->result();
        session->deleteLater();
        --m_running;
        settle(index);
        fill();
        if (m_done == total()) {
            Q_EMIT finished();
        }
    });
    session->start();
}

void SessionPool::settle(int index) {
    ++m_done;
    Q_EMIT resultReady(index);
}

void SessionPool::stop() {
    if (m_stopping) {
        return;
    }
    m_stopping = true;
    for (Session *session : findChildren<Session *>(Qt::FindDirectChildrenOnly)) {
        session->stop();
    }
    // The loggers never started are final now, as not contacted.
    while (m_next < total()) {
        settle(m_next++);
    }
    if (m_done == total()) {
        QMetaObject::invokeMethod(this, &SessionPool::finished, Qt::QueuedConnection);
    }
}

} // namespace tavctl
