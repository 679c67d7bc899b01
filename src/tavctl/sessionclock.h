#pragma once

#include "base/clock.h"

#include <QElapsedTimer>

namespace tavctl {

// The console's clock with milliseconds: a quiet reply is judged to the millisecond, and
// the console's own waits (30 s, half-second pauses) are counted on the same reading.
// Tests move a fake one instead of waiting.
class SessionClock : public Clock {
public:
    // Monotonic milliseconds since an arbitrary origin.
    virtual qint64 milliseconds() const = 0;
    qint64 tenths() const final { return milliseconds() / 100; }
};

class SteadySessionClock final : public SessionClock {
public:
    SteadySessionClock() { m_timer.start(); }
    qint64 milliseconds() const override { return m_timer.elapsed(); }
    QDateTime nowUtc() const override { return QDateTime::currentDateTimeUtc(); }

private:
    QElapsedTimer m_timer;
};

} // namespace tavctl
