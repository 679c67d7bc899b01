// The connection on its own: a loopback peer as the logger, a recording prompter, a
// fake clock that moves a tenth at every read, and every signal written down.
#include "commands/catalogue.h"
#include "commands/frames.h"
#include "commands/parameterlisting.h"
#include "console/connection.h"
#include "console/link.h"
#include "support/fakes.h"
#include "support/loopbackpeer.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <gtest/gtest.h>

namespace {

// A port on which nothing listens: the connection is refused and never made.
quint16 deadPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// One signal: its name and argument, and the fake time it came at.
struct Event {
    QString what;
    qint64 at;
};

} // namespace

class ConnectionTest : public ::testing::Test {
protected:
    ConnectionTest() { clock.stepPerRead = 1; }

    void SetUp() override {
        const auto note = [this](const QString &what) { events.push_back({what, clock.peek()}); };
        Connection *c = &connection;
        QObject::connect(c, &Connection::clearListsRequested, c, [=] { note("clear"); });
        QObject::connect(c, &Connection::waitStarted, c, [=] { note("wait"); });
        QObject::connect(c, &Connection::waitProgress, c,
                         [this](int percent) { progress.push_back(percent); });
        QObject::connect(c, &Connection::waitEnded, c, [=] { note("waitEnded"); });
        QObject::connect(c, &Connection::countdownShown, c,
                         [=](const QString &caption) { note("show " + caption); });
        QObject::connect(c, &Connection::countdownChanged, c,
                         [=](const QString &caption) { note("count " + caption); });
        QObject::connect(c, &Connection::countdownHidden, c, [=] { note("hide"); });
        QObject::connect(c, &Connection::rowConnected, c,
                         [=](int row) { note(QStringLiteral("connected %1").arg(row)); });
        QObject::connect(c, &Connection::disconnected, c,
                         [=](bool was) { note(was ? "disconnected open" : "disconnected"); });
        QObject::connect(c, &Connection::restarted, c, [=] { note("restarted"); });
        QObject::connect(c, &Connection::keepAliveSwitched, c,
                         [=](bool on) { note(on ? "keepAlive on" : "keepAlive off"); });
        QObject::connect(c, &Connection::closedDown, c, [=] { note("closedDown"); });
    }

    Connection::Request to(quint16 port, int row = 1) const {
        return {row, QStringLiteral("127.0.0.1"), QString::number(port), false};
    }
    bool settled(int ms = 10000) {
        return waitUntil([&] { return !connection.isWaiting() && !connection.isPausing(); }, ms);
    }
    // Connects to the peer and waits for the greeting; what the peer had received is cleared.
    void connectToPeer() {
        peer.clearReceived();
        connection.connectTo(to(peer.port()));
        ASSERT_TRUE(settled());
        ASSERT_TRUE(link.isConnected());
        ASSERT_TRUE(peer.waitForBytes(6));
    }
    // Closing the window now: over within a second, and nothing happens after it.
    void expectQuickQuietCloseDown() {
        connection.maintainLink();
        events.clear();
        const qint64 start = clock.peek();
        QElapsedTimer real;
        real.start();
        connection.closeDown();
        ASSERT_TRUE(waitUntil([&] { return connection.isClosedDown(); }, 1000));
        EXPECT_LT(real.elapsed(), 1000);
        EXPECT_LE(at("closedDown") - start, 7);
        // A keep-alive minute and the longest pause go by: nothing more comes.
        const std::size_t boxes = prompter.boxes.size();
        LoopbackPeer::settle(500);
        EXPECT_EQ(names(), QStringList{"closedDown"});
        EXPECT_EQ(prompter.boxes.size(), boxes);
        EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    }
    // The next box stays open until `until` holds and at least `tenths` have gone by on the
    // clock, read at every tick: whatever the steps would do beneath the box meanwhile, they
    // have had every chance to.
    void keepNextBoxOpen(std::function<bool()> until, qint64 tenths = 20) {
        prompter.whileOpen = [this, until, tenths](const RecordingPrompter::Box &) {
            prompter.whileOpen = nullptr;
            const qint64 mark = clock.peek();
            EXPECT_TRUE(waitUntil([&] { return until() && clock.peek() >= mark + tenths; }));
        };
    }
    QStringList names() const {
        QStringList out;
        for (const Event &event : events) {
            out << event.what;
        }
        return out;
    }
    qint64 at(const QString &what) const {
        for (const Event &event : events) {
            if (event.what == what) {
                return event.at;
            }
        }
        return -1;
    }

    RecordingPrompter prompter;
    FakeClock clock;
    ParameterListing listing;
    Link link;
    LinkTimings timings{std::chrono::milliseconds(1), std::chrono::milliseconds(400),
                        std::chrono::milliseconds(1000)};
    Connection connection{link, listing, prompter, clock, timings};
    LoopbackPeer peer;
    std::vector<Event> events;
    std::vector<int> progress;
};

TEST_F(ConnectionTest, ConnectGreetsOnceShowsTheRowConnectedAndEndsTheListing) {
    listing.begin();
    listing.take("A:1");
    connection.connectTo(to(peer.port(), 3));
    ASSERT_TRUE(settled());
    ASSERT_TRUE(peer.waitForBytes(6));
    LoopbackPeer::settle();
    EXPECT_EQ(peer.received(), "TAV@01");
    EXPECT_EQ(names(), (QStringList{"hide", "wait", "connected 3", "waitEnded"}));
    EXPECT_FALSE(listing.isOpen());
    EXPECT_EQ(listing.table().count(), 0);
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, ConnectWhileConnectedOrWithoutSelectionOnlyResetsTheListing) {
    listing.begin();
    connection.connectTo({0, "127.0.0.1", "1", true});
    EXPECT_EQ(prompter.texts(), QStringList{"Select logger"});
    EXPECT_EQ(prompter.boxes[0].title, "TAVControl");
    EXPECT_FALSE(listing.isOpen());

    connectToPeer();
    listing.begin();
    listing.take("A:1");
    prompter.boxes.clear();
    events.clear();
    connection.connectTo(to(peer.port()));
    EXPECT_EQ(prompter.texts(), QStringList{"Already connected"});
    EXPECT_EQ(listing.table().count(), 0);
    EXPECT_FALSE(listing.isOpen());
    EXPECT_TRUE(events.empty());
    LoopbackPeer::settle();
    EXPECT_EQ(peer.received(), "TAV@01");
}

TEST_F(ConnectionTest, AListShownAsksBeforeClearingTheScreens) {
    for (bool yes : {false, true}) {
        events.clear();
        prompter.boxes.clear();
        prompter.answers = {yes};
        Connection::Request request = to(peer.port());
        request.traceListHasEntries = true;
        connection.connectTo(request);
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_TRUE(prompter.boxes[0].question);
        EXPECT_EQ(prompter.boxes[0].text, "Warning\r\nConfirm clear screens?");
        EXPECT_EQ(prompter.boxes[0].title, "Warning");
        EXPECT_EQ(names().contains("clear"), yes);
        ASSERT_TRUE(settled());
        connection.disconnectLogger();
        ASSERT_TRUE(settled());
    }
}

TEST_F(ConnectionTest, BadAddressesTakeTheErrorPathNamingTheTextsAsTyped) {
    const std::vector<std::tuple<QString, QString, QString>> cases = {
        {"127.0.0.1", "abc", "Error conecting logger 127.0.0.1 (abc)"},
        {"127.0.0.1", "70000", "Error conecting logger 127.0.0.1 (70000)"},
        {"127.0.0.1", "0", "Error conecting logger 127.0.0.1 (0)"},
        {"", "", "Error conecting logger  ()"},
        {QString(254, 'h'), "1", "Error conecting logger " + QString(254, 'h') + " (1)"},
    };
    for (const auto &[host, port, message] : cases) {
        prompter.boxes.clear();
        connection.connectTo({1, host, port, false});
        EXPECT_EQ(prompter.texts(), QStringList{message});
        EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
        EXPECT_FALSE(connection.isWaiting());
    }
    EXPECT_FALSE(names().contains("wait"));
    // Blanks typed around the address are not part of it.
    prompter.boxes.clear();
    connection.connectTo({1, " 127.0.0.1", " " + QString::number(peer.port()), false});
    ASSERT_TRUE(settled());
    EXPECT_TRUE(link.isConnected());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, UnansweredWaitRunsThirtySecondsWithProgressThenPausesASecond) {
    connection.connectTo(to(deadPort()));
    ASSERT_TRUE(settled());
    EXPECT_EQ(prompter.texts(), QStringList{"Not able to connect"});
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(names(), (QStringList{"hide", "wait", "waitEnded"}));
    EXPECT_GE(at("waitEnded") - at("wait"), 300 + 10);
    EXPECT_LT(at("waitEnded") - at("wait"), 300 + 16);
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
}

TEST_F(ConnectionTest, AbortOrAnotherLoggerPickedEndsTheWaitWithConnectionStopped) {
    for (bool viaAbort : {true, false}) {
        events.clear();
        prompter.boxes.clear();
        connection.abortConnection(); // forgotten: the next wait starts afresh
        connection.connectTo(to(deadPort()));
        ASSERT_TRUE(waitUntil([&] { return progress.size() > 10; }));
        const qint64 asked = clock.peek();
        viaAbort ? connection.abortConnection() : connection.selectionMoved();
        ASSERT_TRUE(settled());
        EXPECT_EQ(prompter.texts(), QStringList{"Connection stopped"});
        EXPECT_LT(asked - at("wait"), 300);
        EXPECT_GE(at("waitEnded") - asked, 10);
        EXPECT_LT(at("waitEnded") - asked, 16);
        EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    }
}

TEST_F(ConnectionTest, ConnectFromAStaleClientStartsClean) {
    link.connectTo(QStringLiteral("127.0.0.1"), deadPort());
    ASSERT_TRUE(link.isStale());
    connectToPeer();
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(peer.received(), "TAV@01");
}

TEST_F(ConnectionTest, DisconnectSaysGoodbyePausesHalfASecondAndCloses) {
    connectToPeer();
    connection.maintainLink();
    events.clear();
    const qint64 start = clock.peek();
    connection.disconnectLogger();
    EXPECT_TRUE(connection.isPausing());
    ASSERT_TRUE(settled());
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_EQ(peer.received(), "TAV@01TAV@02");
    EXPECT_EQ(names(), (QStringList{"disconnected open", "keepAlive off"}));
    EXPECT_GE(at("disconnected open") - start, 5);
    EXPECT_LT(at("disconnected open") - start, 8);
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    EXPECT_FALSE(connection.keepAliveOn());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, DisconnectWithoutAnOpenLinkSendsNothingAndClosesAStaleOne) {
    connection.maintainLink();
    connection.disconnectLogger();
    ASSERT_TRUE(settled());
    EXPECT_FALSE(connection.keepAliveOn());

    connectToPeer();
    peer.dropClient();
    ASSERT_TRUE(waitUntil([&] { return !link.isConnected(); }));
    events.clear();
    connection.disconnectLogger();
    ASSERT_TRUE(settled());
    EXPECT_EQ(names(), (QStringList{"disconnected", "keepAlive off"}));
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(peer.received(), "TAV@01");
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, DisconnectDuringTheWaitNeverEndsConnected) {
    // The peer accepts at once: without giving up the attempt, the handshake would
    // complete during Disconnect's own pause.
    connection.connectTo(to(peer.port()));
    connection.disconnectLogger();
    ASSERT_TRUE(settled());
    LoopbackPeer::settle();
    EXPECT_FALSE(names().contains("connected 1"));
    EXPECT_EQ(prompter.texts(), QStringList{"Connection stopped"});
    EXPECT_TRUE(peer.received().isEmpty());
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(names().last(), "waitEnded");
}

TEST_F(ConnectionTest, CloseDownSaysGoodbyeOnlyWhenConnectedAndOnlyOnce) {
    connection.closeDown();
    ASSERT_TRUE(waitUntil([&] { return connection.isClosedDown(); }));
    EXPECT_EQ(names(), QStringList{"closedDown"});
    EXPECT_FALSE(peer.hasClient());
}

TEST_F(ConnectionTest, CloseDownDuringDisconnectsPauseSendsTheGoodbyeOnce) {
    connectToPeer();
    connection.disconnectLogger();
    connection.closeDown();
    ASSERT_TRUE(waitUntil([&] { return connection.isClosedDown(); }));
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_EQ(peer.received(), "TAV@01TAV@02");
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
}

TEST_F(ConnectionTest, ClosingDuringTheWaitEndsItQuietly) {
    connection.connectTo(to(deadPort()));
    ASSERT_TRUE(waitUntil([&] { return progress.size() > 5; }));
    expectQuickQuietCloseDown();
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, ClosingDuringThePausesAfterNotAbleToConnectEndsAtOnce) {
    connection.connectTo(to(deadPort()));
    ASSERT_TRUE(waitUntil([&] { return !prompter.boxes.empty(); }));
    ASSERT_TRUE(connection.isPausing());
    expectQuickQuietCloseDown();
    EXPECT_EQ(prompter.texts(), QStringList{"Not able to connect"});
}

TEST_F(ConnectionTest, ClosingDuringTheRestartPausesSkipsTheCountdown) {
    connectToPeer();
    prompter.answers = {true};
    connection.restart(catalogue::updateApplication());
    ASSERT_TRUE(connection.isPausing());
    expectQuickQuietCloseDown();
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_EQ(peer.received(), "TAV@01TAV@11TAV@02");
}

TEST_F(ConnectionTest, ClosingDuringTheLocalUpdatePausesWithoutALinkSkipsTheCountdown) {
    prompter.answers = {true};
    connection.restart(catalogue::localUpdate());
    ASSERT_TRUE(connection.isPausing());
    expectQuickQuietCloseDown();
    EXPECT_EQ(prompter.texts(),
              (QStringList{"Only for local update!. Are you sure!\r\nConfirm update",
                           "There is no connection"}));
}

TEST_F(ConnectionTest, KeepAliveSendsEveryMinuteWithoutEndingAListing) {
    connectToPeer();
    listing.begin();
    connection.maintainLink();
    EXPECT_EQ(names().last(), "keepAlive on");
    ASSERT_TRUE(peer.waitForBytes(18, 2000));
    EXPECT_EQ(peer.received(), "TAV@01TAV@07TAV@07");
    EXPECT_TRUE(listing.isOpen());
}

TEST_F(ConnectionTest, ChoosingMaintainLinkAgainKeepsTheFirstMinute) {
    connectToPeer();
    // Chosen at 0 and again at 250 ms of a 400 ms minute: the first keep-alive
    // still goes out at 400 ms, not at 650 ms.
    QElapsedTimer since;
    since.start();
    connection.maintainLink();
    LoopbackPeer::settle(250);
    connection.maintainLink();
    ASSERT_TRUE(peer.waitForBytes(12, 2000));
    EXPECT_LT(since.elapsed(), 560);
    EXPECT_EQ(peer.received(), "TAV@01TAV@07");
}

TEST_F(ConnectionTest, KeepAliveWithoutALinkReportsEveryMinuteNeverStacksAndCloses) {
    link.connectTo(QStringLiteral("127.0.0.1"), deadPort());
    int nested = 0;
    prompter.whileOpen = [&](const RecordingPrompter::Box &) {
        // The minute that passes while the box is open adds no second box.
        if (nested++ == 0) {
            LoopbackPeer::settle(450);
        }
    };
    connection.maintainLink();
    ASSERT_TRUE(waitUntil([&] { return prompter.boxes.size() >= 2; }, 4000));
    EXPECT_EQ(prompter.maxDepth, 1);
    EXPECT_EQ(prompter.texts().first(), "There is no connection");
    prompter.whileOpen = nullptr;
    EXPECT_TRUE(connection.keepAliveOn());
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    connection.disconnectLogger();
    ASSERT_TRUE(settled());
    EXPECT_FALSE(connection.keepAliveOn());
}

TEST_F(ConnectionTest, KeepAliveDuringTheWaitLeavesThePendingConnectionAlone) {
    connection.maintainLink();
    connection.connectTo(to(deadPort()));
    ASSERT_TRUE(waitUntil([&] { return !prompter.boxes.empty(); }, 3000));
    EXPECT_EQ(prompter.texts().first(), "Not able to connect");
}

TEST_F(ConnectionTest, CountdownRunsDownToReadyAndConnectOnlyHidesIt) {
    using namespace std::chrono_literals;
    Connection slow(link, listing, prompter, clock, LinkTimings{1ms, 60'000ms, 20ms});
    QStringList seen;
    QObject::connect(&slow, &Connection::countdownShown, &slow,
                     [&](const QString &caption) { seen << "show " + caption; });
    QObject::connect(&slow, &Connection::countdownChanged, &slow,
                     [&](const QString &caption) { seen << caption; });
    QObject::connect(&slow, &Connection::countdownHidden, &slow, [&] { seen << "hide"; });
    prompter.answers = {true};
    slow.restart(catalogue::localUpdate());
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 3; }));
    slow.connectTo(to(peer.port()));
    ASSERT_TRUE(waitUntil([&] { return seen.contains("Ready for connection"); }, 3000));
    EXPECT_EQ(seen[0], "show Waiting ...");
    EXPECT_EQ(seen[1], "Waiting ... 19");
    const qsizetype hidden = seen.indexOf("hide");
    ASSERT_GT(hidden, 1);
    EXPECT_LT(hidden, seen.size() - 2);
    seen.removeAt(hidden);
    ASSERT_EQ(seen.size(), 22);
    EXPECT_EQ(seen[15], "Waiting ... 05");
    EXPECT_EQ(seen[20], "Waiting ... 00");
    EXPECT_EQ(seen[21], "Ready for connection");
    EXPECT_EQ(slow.countdownLeft(), 0);
}

TEST_F(ConnectionTest, RestartCommandsAskThenSendPauseCloseAndCountDown) {
    struct Case {
        const catalogue::RestartCommand &command;
        QString question;
        QByteArray frame;
        int pauses;
        int seconds;
    };
    const std::vector<Case> cases = {
        {catalogue::updateApplication(), "Check app1 is received!\r\nConfirm update", "TAV@11", 31,
         60},
        {catalogue::localUpdate(), "Only for local update!. Are you sure!\r\nConfirm update",
         "TAV@31", 30, 20},
        {catalogue::reboot(), "Warning!\r\nConfirm reboot", "TAV@05", 2, 60},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.frame.toStdString());
        // No: nothing is sent and nothing changes.
        connectToPeer();
        listing.begin();
        peer.clearReceived();
        prompter.boxes.clear();
        events.clear();
        connection.restart(c.command);
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].text, c.question);
        EXPECT_EQ(prompter.boxes[0].title, "Warning");
        EXPECT_TRUE(prompter.boxes[0].question);
        EXPECT_TRUE(listing.isOpen());
        EXPECT_FALSE(connection.isPausing());
        // Yes.
        prompter.answers = {true};
        const qint64 start = clock.peek();
        connection.restart(c.command);
        EXPECT_FALSE(listing.isOpen());
        ASSERT_TRUE(settled(20000));
        ASSERT_TRUE(peer.waitForClose());
        EXPECT_EQ(peer.received(), c.frame);
        EXPECT_EQ(names(), (QStringList{"restarted", "show Waiting ..."}));
        EXPECT_GE(at("restarted") - start, c.pauses * 5);
        EXPECT_LT(at("restarted") - start, c.pauses * 5 + 4);
        EXPECT_EQ(connection.countdownLeft(), c.seconds);
        EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    }
}

TEST_F(ConnectionTest, RestartWithoutALinkGoesOnOnlyForTheLocalUpdate) {
    for (const auto *command : {&catalogue::updateApplication(), &catalogue::reboot()}) {
        prompter.boxes.clear();
        prompter.answers = {true};
        connection.restart(*command);
        EXPECT_EQ(prompter.boxes.back().text, "There is no connection");
        EXPECT_FALSE(connection.isPausing());
    }
    events.clear();
    prompter.answers = {true};
    const qint64 start = clock.peek();
    connection.restart(catalogue::localUpdate());
    ASSERT_TRUE(settled());
    EXPECT_EQ(prompter.boxes.back().text, "There is no connection");
    EXPECT_EQ(names(), (QStringList{"restarted", "show Waiting ..."}));
    EXPECT_GE(at("restarted") - start, 150);
    EXPECT_EQ(connection.countdownLeft(), 20);
    EXPECT_TRUE(peer.received().isEmpty());
}

TEST_F(ConnectionTest, SendPathReportsAndClosesOrOnlyReports) {
    link.connectTo(QStringLiteral("127.0.0.1"), deadPort());
    prompter.whileOpen = [&](const RecordingPrompter::Box &) {
        EXPECT_NE(link.state(), QAbstractSocket::UnconnectedState);
    };
    EXPECT_FALSE(connection.send("TAV@09", "There is no conenction", Connection::WhenDown::Report));
    EXPECT_TRUE(link.isStale());
    EXPECT_FALSE(connection.send("TAV@09"));
    EXPECT_EQ(prompter.texts(), (QStringList{"There is no conenction", "There is no connection"}));
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);

    prompter.whileOpen = nullptr;
    connectToPeer();
    EXPECT_TRUE(connection.send("TAV@09"));
    ASSERT_TRUE(peer.waitForBytes(12));
    EXPECT_EQ(peer.received(), "TAV@01TAV@09");
}

TEST_F(ConnectionTest, ANoConnectionBoxDuringTheWaitHoldsItWhileTheLinkComesUp) {
    // Version chosen during the wait: the link comes up while its box is open, and its
    // not-connected path then closes the client. The wait never sees the link it closed.
    connection.connectTo(to(peer.port()));
    keepNextBoxOpen([&] { return link.isConnected(); });
    EXPECT_FALSE(connection.send(frames::command(7)));
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    ASSERT_TRUE(settled());
    EXPECT_EQ(prompter.texts(), (QStringList{"There is no connection", "Not able to connect"}));
    EXPECT_EQ(names(), (QStringList{"hide", "wait", "waitEnded"}));
    EXPECT_GE(at("waitEnded") - at("wait"), 300);
    EXPECT_TRUE(peer.received().isEmpty());
}

TEST_F(ConnectionTest, AQuestionHoldsTheUpdatePausesSoTheConfirmedRebootIsSent) {
    connectToPeer();
    events.clear();
    prompter.answers = {true};
    connection.restart(catalogue::updateApplication());
    const qint64 start = clock.peek();
    ASSERT_TRUE(waitUntil([&] { return clock.peek() > start + 10; }));
    // Reboot about a second later, its question left open for 17 seconds: the update's
    // pauses would have ended beneath it.
    prompter.answers = {true};
    keepNextBoxOpen([] { return true; }, 170);
    connection.restart(catalogue::reboot());
    EXPECT_EQ(prompter.texts(), (QStringList{"Check app1 is received!\r\nConfirm update",
                                             "Warning!\r\nConfirm reboot"}));
    ASSERT_TRUE(peer.waitForBytes(18));
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_EQ(peer.received(), "TAV@01TAV@11TAV@05");
    // The reboot's pauses first, then what is left of the update's.
    ASSERT_TRUE(settled(20000));
    EXPECT_EQ(names(),
              (QStringList{"restarted", "show Waiting ...", "restarted", "show Waiting ..."}));
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

TEST_F(ConnectionTest, RebootDuringTheWaitSendsItsFrameAloneOnTheLinkThatCameUp) {
    connection.connectTo(to(peer.port()));
    prompter.answers = {true};
    keepNextBoxOpen([&] { return link.isConnected(); });
    connection.restart(catalogue::reboot());
    ASSERT_TRUE(settled());
    EXPECT_EQ(peer.received(), "TAV@05");
    EXPECT_EQ(prompter.texts(), (QStringList{"Warning!\r\nConfirm reboot", "Not able to connect"}));
    EXPECT_EQ(names(), (QStringList{"hide", "wait", "restarted", "show Waiting ...", "waitEnded"}));
}

TEST_F(ConnectionTest, ConnectDuringTheWaitTakesTheErrorPathAndTheWaitRunsOut) {
    connection.connectTo(to(peer.port()));
    // Chosen again with replies on screen; the link comes up while it asks.
    Connection::Request again = to(peer.port());
    again.traceListHasEntries = true;
    keepNextBoxOpen([&] { return link.isConnected(); });
    connection.connectTo(again);
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    ASSERT_TRUE(settled());
    EXPECT_EQ(prompter.texts(), (QStringList{"Warning\r\nConfirm clear screens?",
                                             "Error conecting logger 127.0.0.1 (" +
                                                 QString::number(peer.port()) + ")",
                                             "Not able to connect"}));
    EXPECT_EQ(names(), (QStringList{"hide", "wait", "hide", "waitEnded"}));
    EXPECT_TRUE(peer.received().isEmpty());
}
