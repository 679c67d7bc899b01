#include "integration/simprocess.h"
#include "support/loopbackpeer.h"
#include "tavctl/fakelogger.h"
#include "tavctl/session.h"
#include "tavctl/sessionclock.h"
#include "tavctl/transcript.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace tavctl;

// Stands still unless the test moves it; counts how often it is read, so a test knows the
// session has looked at it since the last move.
class FakeSessionClock final : public SessionClock {
public:
    qint64 milliseconds() const override {
        ++reads;
        return now;
    }
    QDateTime nowUtc() const override { return utc; }
    qint64 now = 0;
    QDateTime utc = QDateTime(QDate(2019, 3, 7), QTime(13, 25, 30), Qt::UTC);
    mutable qint64 reads = 0;
};

// One session on the fake clock, against a logger in this process.
class SessionOnFakeClock : public ::testing::Test {
protected:
    void start(const QString &command, quint16 port, QStringList arguments = {}) {
        PlanRequest request;
        request.command = command;
        request.arguments = arguments;
        request.yes = true;
        m_plan = *buildPlan(request, m_clock).plan;
        LoggerEntry logger{1, "North", "127.0.0.1", QString::number(port),
                           Target{"127.0.0.1", port}};
        m_session = std::make_unique<Session>(logger, m_plan, m_settings, m_clock, nullptr);
        m_session->start();
    }
    // Moves the clock and waits until the session has read it twice since.
    void moveTo(qint64 ms) {
        m_clock.now = ms;
        const qint64 reads = m_clock.reads;
        ASSERT_TRUE(
            waitUntil([&] { return m_clock.reads >= reads + 2 || m_session->isFinished(); }));
    }

    FakeSessionClock m_clock;
    SessionSettings m_settings{30'000, 1'500, 20'000, 1};
    Plan m_plan;
    std::unique_ptr<Session> m_session;
};

TEST_F(SessionOnFakeClock, SyncPcSendsThePcClockInUtcByteForByte) {
    FakeLogger logger;
    start("sync-pc", logger.port());
    ASSERT_TRUE(waitUntil([&] { return logger.received() == "TAV@01"; }));
    m_clock.utc = QDateTime(QDate(2019, 7, 1), QTime(0, 10, 13), Qt::OffsetFromUTC, 7200);
    moveTo(1'500); // the greeting went quiet
    ASSERT_TRUE(waitUntil([&] { return logger.received().size() == 18; }));
    moveTo(3'000);
    ASSERT_TRUE(waitUntil([&] { return m_session->isFinished(); }));
    EXPECT_EQ(logger.received(), QByteArray("TAV@01TAV@41\x13\x06\x1e\x16\x0a\x0dTAV@02", 24));
    EXPECT_TRUE(m_session->result().ok);
}

// The console's own waits, counted on the clock: the connection wait, and the half-second
// pauses after each restart command, before which the link stays open.
TEST_F(SessionOnFakeClock, WaitsEndExactlyWhenTheirTimeIsUp) {
    SimProcess deadPort;
    ASSERT_TRUE(deadPort.start({"--dead-port"})) << deadPort.error().toStdString();
    const struct {
        QString command;
        qint64 frameAt; // when the command's frame goes out; -1: never connected
        qint64 wait;
        QString error;
    } cases[] = {
        {"version", -1, 30'001, "no answer in 30 s"},
        {"reboot", 1'500, 1'000, ""},
        {"update", 1'500, 15'500, ""},
        {"local-update", 1'500, 15'000, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        FakeLogger logger(FakeLogger::Mode::Mute);
        m_clock.now = 0;
        start(c.command, c.frameAt < 0 ? deadPort.port() : logger.port());
        const qint64 from = std::max<qint64>(c.frameAt, 0);
        if (c.frameAt >= 0) {
            ASSERT_TRUE(waitUntil([&] { return logger.received() == "TAV@01"; }));
            moveTo(c.frameAt);
            ASSERT_TRUE(waitUntil([&] { return logger.received().size() == 12; }));
        }
        moveTo(from + c.wait - 1);
        EXPECT_FALSE(m_session->isFinished());
        moveTo(from + c.wait);
        ASSERT_TRUE(waitUntil([&] { return m_session->isFinished(); }));
        EXPECT_EQ(m_session->result().error, c.error);
        EXPECT_TRUE(waitUntil([&] { return !logger.linkOpen(); }));
        EXPECT_EQ(logger.received(), c.frameAt < 0 ? "" : "TAV@01" + m_plan.frames[0]);
    }
}

} // namespace
