#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <chrono>

// Elapsed time in tenths of a second, and "now", behind one seam so that the
// console's 30-second and half-second waits can be driven by tests instantly.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic tenths of a second since an arbitrary origin; never jumps at midnight.
    virtual qint64 tenths() const = 0;
    // One reading of the system clock, in UTC.
    virtual QDateTime nowUtc() const = 0;
    // The same instant as the PC's local date and time.
    virtual QDateTime nowLocal() const { return nowUtc().toLocalTime(); }
};

class SteadyClock final : public Clock {
public:
    SteadyClock() { m_timer.start(); }
    qint64 tenths() const override { return m_timer.elapsed() / 100; }
    QDateTime nowUtc() const override { return QDateTime::currentDateTimeUtc(); }

private:
    QElapsedTimer m_timer;
};
