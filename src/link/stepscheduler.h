#pragma once

#include "base/clock.h"

#include <QObject>
#include <functional>
#include <optional>
#include <vector>

class Prompter;

// The connection's waits and pauses, newest on top. Only the top step runs: the ones beneath
// it hold until it has ended, as a command given during a wait finishes before the wait goes
// on. While a box is on screen no step ends or acts either: the handler that opened the box
// finishes first, then the steps go on, judged against the clock as it reads then.
class StepScheduler final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StepScheduler)

public:
    static constexpr qint64 kPauseTenths = 5;

    StepScheduler(const Clock &clock, const Prompter &prompter, QObject *parent = nullptr);

    // `then` after `count` half-second pauses, each counted from the end of the one before.
    void pause(int count, std::function<void()> then);
    // `then` once `over(elapsed tenths)` holds. It is asked every tenth of a second and at
    // once on look(), and may report progress when it says no.
    void wait(std::function<bool(qint64)> over, std::function<void()> then);
    // What a wait watches has changed (the link came up, an abort): the top step looks now.
    void look();
    // Drops every step, then `then` after `count` pauses that no box holds: the way out that
    // nothing can stop.
    void finishWith(int count, std::function<void()> then);

    bool waiting() const; // a wait anywhere on the stack
    bool pausing() const; // the top step is a pause
    bool idle() const { return m_steps.empty(); }

private:
    struct Step {
        std::function<bool(qint64)> over; // empty for a pause
        std::function<void()> then;
        qint64 start = 0;
        int pausesLeft = 0;
        bool heldByBoxes = true;
    };

    void push(Step step);
    // Ends what has ended, top first, and sets the clock for the next look.
    void run();
    // When the top step must look again, or nothing if it has ended.
    std::optional<qint64> nextLook(Step &step, qint64 now) const;

    const Clock &m_clock;
    const Prompter &m_prompter;
    ClockTimer m_next;
    std::vector<Step> m_steps;
};
