#pragma once

#include "commands/parameterlisting.h"
#include "link/stepscheduler.h"
#include "replies/replyframer.h"
#include "tavctl/plan.h"
#include "tavctl/result.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace tavctl {

class SessionClock;
class Transcript;

struct SessionSettings {
    qint64 connectMs = 30'000; // the console's connection wait
    qint64 quietMs = 1'500;    // a reply is complete after this long without data
    qint64 waitMs = 20'000;    // however chatty the logger, a reply ends after this long
    // The longest the session sleeps before it reads the clock again. Deadlines on the real
    // clock are met exactly whatever it is; a fake clock that tests move needs short naps.
    qint64 longestNapMs = 1'000;
};

// One logger, from connection to close: connect (up to the connection wait), greet, collect
// the greeting until it goes quiet, send the command's frames one after another (each once
// the reply to the one before went quiet), say goodbye, close. A command that restarts the
// logger is followed by the console's half-second pauses and a close, with no goodbye.
//
// Nothing blocks: every step is a state advanced by the socket's signals or by one timer
// that reads the clock. Replies are cut into lines by the console's reply framer and a
// listing is collected by the console's own rule.
class Session final : public QObject, private ReplyLineSink {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Session)

public:
    // The console's half-second pause.
    static constexpr qint64 kPauseMs = StepScheduler::kPauseTenths * 100;
    // Reply text one session keeps: far above any real reply, and 64 sessions of a logger
    // that never stops talking still fit in memory.
    static constexpr qint64 kMaxKeptBytes = 4 * 1024 * 1024;

    Session(LoggerEntry logger, const Plan &plan, const SessionSettings &settings,
            const SessionClock &clock, std::unique_ptr<Transcript> transcript,
            QObject *parent = nullptr);
    ~Session() override;

    void start();
    // Ends the session within a second: an open link gets its goodbye and is closed.
    void stop();
    bool isFinished() const { return m_phase == Phase::Done; }
    const LoggerResult &result() const { return m_result; }

Q_SIGNALS:
    // Emitted from the event loop, never from inside start() or stop().
    void finished();

private:
    enum class Phase { Idle, Connecting, Greeting, Reply, Pausing, Goodbye, Done };

    void line(const ReplyLineView &line) override;
    void keep(QByteArrayView text, bool operation);
    void takeParameter(QByteArrayView line);
    void flushRemainder();

    void onConnected();
    void onReadyRead();
    void onLinkDown();
    void onTimer();
    void schedule();
    qint64 deadline() const;
    void sendNext();
    void send(const QByteArray &frame, Phase next);
    void sayGoodbye();
    void finish(const QString &error);
    void note(const QString &text);

    LoggerResult m_result;
    const Plan &m_plan;
    const SessionSettings m_settings;
    const SessionClock &m_clock;
    std::unique_ptr<Transcript> m_transcript;
    QTcpSocket m_socket;
    QTimer m_timer;
    ReplyFramer m_framer;
    ParameterListing m_listing;
    ParameterTable m_probe;   // tells which lines the listing takes, to count them
    int m_parameterLines = 0; // lines the listing took, kept or not
    Phase m_phase = Phase::Idle;
    qint64 m_phaseStart = 0;
    qint64 m_lastArrival = 0;
    std::size_t m_nextFrame = 0;
    qint64 m_keptBytes = 0;
    QString m_error; // set on the way: the session ends with it
};

} // namespace tavctl
