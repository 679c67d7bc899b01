#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class ClockTimer;

// Elapsed time in tenths of a second, "now", and the deadlines the console waits for, behind
// one seam: every wait, pause, keep-alive and countdown of the console is a deadline on this
// clock, so a test that moves a fake clock moves all of them, at once and exactly.
class Clock {
public:
    Clock() = default;
    virtual ~Clock() = default;
    Clock(const Clock &) = delete;
    Clock &operator=(const Clock &) = delete;

    // Monotonic tenths of a second since an arbitrary origin; never jumps at midnight.
    virtual qint64 tenths() const = 0;
    // One reading of the system clock, in UTC.
    virtual QDateTime nowUtc() const = 0;
    // The same instant as the PC's local date and time.
    virtual QDateTime nowLocal() const { return nowUtc().toLocalTime(); }

protected:
    friend class ClockTimer;
    // Arranges for timer.check() to run once this clock reads timer.deadline(), and cancels
    // that. By default the timer sleeps the real time between now and its deadline.
    virtual void arm(ClockTimer &timer) const;
    virtual void disarm(ClockTimer &timer) const;
};

// The PC's own clock.
class SteadyClock final : public Clock {
public:
    SteadyClock() { m_timer.start(); }
    qint64 tenths() const override { return m_timer.elapsed() / 100; }
    QDateTime nowUtc() const override { return QDateTime::currentDateTimeUtc(); }

private:
    QElapsedTimer m_timer;
};

// One deadline on a clock: runs its handler once, when the clock reads that time or later.
class ClockTimer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClockTimer)

public:
    ClockTimer(const Clock &clock, std::function<void()> handler, QObject *parent = nullptr);
    ~ClockTimer() override;

    // Replaces any earlier deadline.
    void startAt(qint64 tenths);
    void startIn(qint64 tenths) { startAt(m_clock.tenths() + tenths); }
    void stop();
    bool isActive() const { return m_active; }
    qint64 deadline() const { return m_deadline; }
    // Runs the handler if the deadline has come; a wake-up that came early waits again.
    void check();

private:
    friend class Clock;
    void wakeAfterRealTime(qint64 milliseconds);
    void stopWaking();

    const Clock &m_clock;
    std::function<void()> m_handler;
    QTimer m_wake;
    qint64 m_deadline = 0;
    bool m_active = false;
};
