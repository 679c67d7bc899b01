#include "base/clock.h"

#include <algorithm>

void Clock::arm(ClockTimer &timer) const {
    timer.wakeAfterRealTime(std::max<qint64>(0, (timer.deadline() - tenths()) * 100));
}

void Clock::disarm(ClockTimer &timer) const {
    timer.stopWaking();
}

ClockTimer::ClockTimer(const Clock &clock, std::function<void()> handler, QObject *parent)
    : QObject(parent), m_clock(clock), m_handler(std::move(handler)), m_wake(this) {
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
    connect(&m_wake, &QTimer::timeout, this, &ClockTimer::check);
}

ClockTimer::~ClockTimer() {
    stop();
}

void ClockTimer::startAt(qint64 tenths) {
    m_deadline = tenths;
    m_active = true;
    m_clock.arm(*this);
}

void ClockTimer::stop() {
    if (m_active) {
        m_active = false;
        m_clock.disarm(*this);
    }
}

void ClockTimer::check() {
    if (!m_active) {
        return;
    }
    if (m_clock.tenths() < m_deadline) {
        m_clock.arm(*this);
        return;
    }
    stop();
    m_handler();
}

void ClockTimer::wakeAfterRealTime(qint64 milliseconds) {
    m_wake.start(static_cast<int>(std::min<qint64>(milliseconds, 24 * 3600 * 1000)));
}

void ClockTimer::stopWaking() {
    m_wake.stop();
}
