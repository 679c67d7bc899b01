// The step scheduler on a fake clock: newest step first, half-seconds chained, waits asked
// every tenth, and nothing ending while a box is open, except the way out.
#include "link/stepscheduler.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

class StepSchedulerTest : public ::testing::Test {
protected:
    // Notes what ends, and when.
    std::function<void()> note(const QString &what) {
        return
            [this, what] { ended << QStringLiteral("%1@%2").arg(what).arg(clock.tenths() - 1000); };
    }

    FakeClock clock; // at 1000
    RecordingPrompter prompter;
    StepScheduler steps{clock, prompter};
    QStringList ended;
};

TEST_F(StepSchedulerTest, NewestStepRunsFirstAndTheOnesBeneathGoOnAfterIt) {
    bool linkUp = false;
    steps.wait([&](qint64 elapsed) { return linkUp || elapsed > 30; }, note("wait"));
    clock.advance(10);
    steps.pause(3, note("pauses"));
    EXPECT_TRUE(steps.waiting());
    EXPECT_TRUE(steps.pausing());
    linkUp = true;
    steps.look(); // the wait beneath cannot end before the pauses on top of it
    EXPECT_TRUE(ended.isEmpty());
    clock.advance(14);
    EXPECT_TRUE(ended.isEmpty());
    clock.advance(1);
    EXPECT_EQ(ended, (QStringList{"pauses@25", "wait@25"}));
    EXPECT_TRUE(steps.idle());
}

TEST_F(StepSchedulerTest, AWaitIsAskedEveryTenthAndEndsWhenItSaysSo) {
    std::vector<qint64> asked;
    steps.wait(
        [&](qint64 elapsed) {
            asked.push_back(elapsed);
            return elapsed > 3;
        },
        note("wait"));
    clock.advance(10);
    EXPECT_EQ(asked, (std::vector<qint64>{0, 1, 2, 3, 4}));
    EXPECT_EQ(ended, QStringList{"wait@4"});
}

TEST_F(StepSchedulerTest, ABoxHoldsEveryStepButTheWayOut) {
    steps.pause(2, note("pauses"));
    prompter.whileOpen = [&](const RecordingPrompter::Box &) {
        clock.advance(40); // long enough for both half-seconds, yet nothing may end
        EXPECT_TRUE(ended.isEmpty());
    };
    prompter.inform("held");
    EXPECT_TRUE(ended.isEmpty());
    // Judged against the clock as it reads now: the half-second under way is over, the
    // next one starts.
    clock.advance(1);
    EXPECT_EQ(ended, QStringList{});
    clock.advance(5);
    EXPECT_EQ(ended, QStringList{"pauses@46"});

    steps.pause(2, note("dropped"));
    prompter.whileOpen = [&](const RecordingPrompter::Box &) {
        steps.finishWith(1, note("out"));
        clock.advance(5);
    };
    prompter.inform("closing");
    EXPECT_EQ(ended, (QStringList{"pauses@46", "out@51"}));
    EXPECT_TRUE(steps.idle());
}
