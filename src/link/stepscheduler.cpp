#include "link/stepscheduler.h"

#include "base/prompter.h"

StepScheduler::StepScheduler(const Clock &clock, const Prompter &prompter, QObject *parent)
    : QObject(parent), m_clock(clock), m_prompter(prompter), m_next(
                                                                 clock, [this] { run(); }, this) {}

void StepScheduler::pause(int count, std::function<void()> then) {
    push(Step{{}, std::move(then), m_clock.tenths(), count, true});
}

void StepScheduler::wait(std::function<bool(qint64)> over, std::function<void()> then) {
    push(Step{std::move(over), std::move(then), m_clock.tenths(), 0, true});
}

void StepScheduler::finishWith(int count, std::function<void()> then) {
    m_steps.clear();
    push(Step{{}, std::move(then), m_clock.tenths(), count, false});
}

void StepScheduler::push(Step step) {
    m_steps.push_back(std::move(step));
    run();
}

void StepScheduler::look() {
    run();
}

bool StepScheduler::waiting() const {
    for (const Step &step : m_steps) {
        if (step.over) {
            return true;
        }
    }
    return false;
}

bool StepScheduler::pausing() const {
    return !m_steps.empty() && !m_steps.back().over;
}

std::optional<qint64> StepScheduler::nextLook(Step &step, qint64 now) const {
    if (step.over) {
        if (step.over(now - step.start)) {
            return std::nullopt;
        }
        return now + 1;
    }
    if (now - step.start < kPauseTenths) {
        return step.start + kPauseTenths;
    }
    // Each half-second counts from the end of the one before.
    if (--step.pausesLeft > 0) {
        step.start = now;
        return now + kPauseTenths;
    }
    return std::nullopt;
}

void StepScheduler::run() {
    while (!m_steps.empty()) {
        const qint64 now = m_clock.tenths();
        Step &top = m_steps.back();
        if (top.heldByBoxes && m_prompter.boxOpen()) {
            m_next.startAt(now + 1);
            return;
        }
        if (const auto next = nextLook(top, now)) {
            m_next.startAt(*next);
            return;
        }
        const std::function<void()> then = std::move(top.then);
        m_steps.pop_back();
        then();
    }
    m_next.stop();
}
