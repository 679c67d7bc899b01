#pragma once

#include "tavctl/plan.h"
#include "tavctl/result.h"
#include "tavctl/session.h"

#include <QObject>
#include <QStringList>
#include <vector>

namespace tavctl {

class SessionClock;

// Works on the chosen loggers a few at a time: starts up to `jobs` sessions and the next
// one as each ends, all on the one event loop. Results are kept in list order.
class SessionPool final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionPool)

public:
    // transcripts: one file path per logger, or empty for none.
    SessionPool(std::vector<LoggerEntry> loggers, const Plan &plan, SessionSettings settings,
                int jobs, const SessionClock &clock, QStringList transcripts = {},
                QObject *parent = nullptr);

    void start();
    // No more loggers are started; open sessions say goodbye and close.
    void stop();

    int total() const { return static_cast<int>(m_results.size()); }
    int done() const { return m_done; }
    LoggerResult &result(int index) { return m_results[static_cast<std::size_t>(index)]; }

Q_SIGNALS:
    // One logger's result is final (in the order sessions end).
    void resultReady(int index);
    // Every logger has a result.
    void finished();

private:
    void fill();
    void startNext();
    void settle(int index);

    const Plan &m_plan;
    const SessionSettings m_settings;
    const int m_jobs;
    const SessionClock &m_clock;
    const QStringList m_transcripts;
    std::vector<LoggerResult> m_results;
    int m_next = 0; // the next logger to start
    int m_running = 0;
    int m_done = 0;
    bool m_stopping = false;
};

} // namespace tavctl
