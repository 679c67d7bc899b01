// The connection on its own: a loopback peer as the logger, a recording prompter, a fake
// clock that the tests move by hand, and every signal written down with its time.
#include "commands/catalogue.h"
#include "commands/frames.h"
#include "link/connection.h"
#include "link/link.h"
#include "support/fakes.h"
#include "support/loopbackpeer.h"

#include <QTcpServer>
#include <gtest/gtest.h>

namespace {

// A port on which nothing listens: the connection is refused and never made.
quint16 deadPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// The restart data of a command, as the command table gives it.
const catalogue::RestartCommand &restartOf(catalogue::Command command) {
    return *catalogue::entry(command).restart;
}
const catalogue::RestartCommand &kUpdate = restartOf(catalogue::Command::UpdateApplication);
const catalogue::RestartCommand &kLocalUpdate = restartOf(catalogue::Command::LocalUpdate);
const catalogue::RestartCommand &kReboot = restartOf(catalogue::Command::Reboot);

struct Event {
    QString what;
    qint64 at; // tenths since the test began
};

} // namespace

class ConnectionTest : public ::testing::Test {
public: // the close-down cases below set the scene through these
    void SetUp() override {
        const auto note = [this](const QString &what) {
            events.push_back({what, clock.tenths() - 1000});
        };
        Connection *c = &connection;
        QObject::connect(c, &Connection::clearListsRequested, c, [=] { note("clear"); });
        QObject::connect(c, &Connection::waitStarted, c, [=] { note("wait"); });
        QObject::connect(c, &Connection::waitProgress, c,
                         [this](int percent) { progress.push_back(percent); });
        QObject::connect(c, &Connection::waitEnded, c, [=] { note("waitEnded"); });
        QObject::connect(c, &Connection::countdownShown, c,
                         [=](const QString &caption) { note("show " + caption); });
        QObject::connect(c, &Connection::countdownChanged, c,
                         [=](const QString &caption) { note(caption); });
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
    // Connects to the peer: the wait ends the moment the link is up and the greeting goes out.
    void connectToPeer() {
        connection.connectTo(to(peer.port()));
        ASSERT_TRUE(waitUntil([&] { return !connection.isWaiting(); }));
        ASSERT_TRUE(peer.waitForBytes(6));
        peer.clearReceived();
        events.clear();
    }
    // The next box stays open until `until` holds, while `tenths` go by on the clock.
    void keepNextBoxOpen(std::function<bool()> until, qint64 tenths = 20) {
        prompter.whileOpen = [this, until, tenths](const RecordingPrompter::Box &) {
            prompter.whileOpen = nullptr;
            EXPECT_TRUE(waitUntil(until));
            clock.advance(tenths);
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

    FakeClock clock; // first: the timers on it go before it does
    RecordingPrompter prompter;
    Link link;
    Connection connection{link, prompter, clock};
    LoopbackPeer peer;
    std::vector<Event> events;
    std::vector<int> progress;
};

TEST_F(ConnectionTest, ConnectGreetsOnceTheMomentTheLinkIsUp) {
    connection.connectTo(to(peer.port(), 3));
    ASSERT_TRUE(waitUntil([&] { return !connection.isWaiting(); }));
    EXPECT_EQ(peer.takeReceived(link), "TAV@01");
    EXPECT_EQ(names(), (QStringList{"hide", "wait", "connected 3", "waitEnded"}));
    EXPECT_EQ(at("waitEnded"), 0);
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, ConnectWithoutSelectionOrWhileConnectedOnlyTellsWhy) {
    connection.connectTo({0, "127.0.0.1", "1", true});
    EXPECT_EQ(prompter.texts(), QStringList{"Select logger"});
    EXPECT_EQ(prompter.boxes[0].title, "TAVControl");

    connectToPeer();
    prompter.boxes.clear();
    connection.connectTo(to(peer.port()));
    EXPECT_EQ(prompter.texts(), QStringList{"Already connected"});
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(peer.takeReceived(link), "");
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
        ASSERT_TRUE(waitUntil([&] { return !connection.isWaiting(); }));
        connection.disconnectLogger();
        clock.advance(5);
        ASSERT_FALSE(connection.isPausing());
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
    ASSERT_TRUE(waitUntil([&] { return link.isConnected(); }));
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, UnansweredWaitRunsThirtySecondsWithProgressThenPausesASecond) {
    connection.connectTo(to(deadPort()));
    clock.advance(300);
    EXPECT_TRUE(prompter.boxes.empty());
    clock.advance(1);
    EXPECT_EQ(prompter.texts(), QStringList{"Not able to connect"});
    ASSERT_EQ(progress.size(), 301u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress[150], 50);
    EXPECT_EQ(progress.back(), 100);
    clock.advance(9);
    EXPECT_EQ(names(), (QStringList{"hide", "wait"}));
    clock.advance(1);
    EXPECT_EQ(names(), (QStringList{"hide", "wait", "waitEnded"}));
    EXPECT_EQ(at("waitEnded"), 311);
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
}

TEST_F(ConnectionTest, AbortOrAnotherLoggerPickedEndsTheWaitWithConnectionStopped) {
    for (bool viaAbort : {true, false}) {
        events.clear();
        prompter.boxes.clear();
        connection.abortConnection(); // forgotten: the next wait starts afresh
        connection.connectTo(to(deadPort()));
        clock.advance(50);
        const qint64 asked = clock.tenths() - 1000;
        viaAbort ? connection.abortConnection() : connection.selectionMoved();
        EXPECT_EQ(prompter.texts(), QStringList{"Connection stopped"});
        clock.advance(10);
        EXPECT_EQ(at("waitEnded"), asked + 10);
        EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    }
}

TEST_F(ConnectionTest, ConnectFromAStaleClientStartsClean) {
    link.connectTo(QStringLiteral("127.0.0.1"), deadPort());
    ASSERT_TRUE(link.isStale());
    connectToPeer();
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
}

TEST_F(ConnectionTest, DisconnectSaysGoodbyePausesHalfASecondAndCloses) {
    connectToPeer();
    connection.maintainLink();
    events.clear();
    connection.disconnectLogger();
    EXPECT_TRUE(connection.isPausing());
    clock.advance(4);
    EXPECT_TRUE(events.empty());
    clock.advance(1);
    EXPECT_EQ(names(), (QStringList{"disconnected open", "keepAlive off"}));
    EXPECT_EQ(at("disconnected open"), 5);
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_EQ(peer.received(), "TAV@02");
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    EXPECT_FALSE(connection.keepAliveOn());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, DisconnectWithoutAnOpenLinkSendsNothingAndClosesAStaleOne) {
    connection.maintainLink();
    connection.disconnectLogger();
    clock.advance(5);
    EXPECT_FALSE(connection.keepAliveOn());

    connectToPeer();
    peer.dropClient();
    ASSERT_TRUE(waitUntil([&] { return !link.isConnected(); }));
    events.clear();
    connection.disconnectLogger();
    clock.advance(5);
    EXPECT_EQ(names(), (QStringList{"disconnected", "keepAlive off"}));
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    EXPECT_TRUE(peer.received().isEmpty());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, DisconnectDuringTheWaitNeverEndsConnected) {
    // The peer accepts at once: without giving up the attempt, the handshake would
    // complete during Disconnect's own pause.
    connection.connectTo(to(peer.port()));
    connection.disconnectLogger();
    clock.advance(5);
    EXPECT_EQ(prompter.texts(), QStringList{"Connection stopped"});
    clock.advance(10);
    EXPECT_EQ(names(), (QStringList{"hide", "wait", "disconnected", "keepAlive off", "waitEnded"}));
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
}

// Whatever runs when the window closes, the close-down says goodbye if connected, pauses
// half a second and ends; a minute later nothing more has happened.
struct CloseDownCase {
    const char *name;
    std::function<void(ConnectionTest &)> setUp;
    QByteArray goodbye;
    QStringList boxes;
};

void PrintTo(const CloseDownCase &c, std::ostream *out) {
    *out << c.name;
}

class CloseDownTest : public ConnectionTest, public ::testing::WithParamInterface<CloseDownCase> {};

TEST_P(CloseDownTest, SaysGoodbyeOnceAndEndsEverythingWithinHalfASecond) {
    GetParam().setUp(*this);
    connection.maintainLink();
    events.clear();
    connection.closeDown();
    clock.advance(4);
    EXPECT_TRUE(events.empty());
    clock.advance(1);
    EXPECT_EQ(names(), QStringList{"closedDown"});
    clock.advance(1000);
    EXPECT_EQ(names(), QStringList{"closedDown"});
    EXPECT_EQ(prompter.texts(), GetParam().boxes);
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    if (!GetParam().goodbye.isEmpty()) {
        ASSERT_TRUE(peer.waitForClose());
        EXPECT_EQ(peer.received(), GetParam().goodbye);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Connection, CloseDownTest,
    ::testing::Values(CloseDownCase{"Idle", [](ConnectionTest &) {}, "", {}},
                      CloseDownCase{
                          "Connected", [](ConnectionTest &t) { t.connectToPeer(); }, "TAV@02", {}},
                      CloseDownCase{"DuringDisconnectsPause",
                                    [](ConnectionTest &t) {
                                        t.connectToPeer();
                                        t.connection.disconnectLogger();
                                    },
                                    "TAV@02",
                                    {}},
                      CloseDownCase{"DuringTheWait",
                                    [](ConnectionTest &t) {
                                        t.connection.connectTo(t.to(deadPort()));
                                        t.clock.advance(50);
                                    },
                                    "",
                                    {}},
                      CloseDownCase{"DuringThePausesAfterNotAbleToConnect",
                                    [](ConnectionTest &t) {
                                        t.connection.connectTo(t.to(deadPort()));
                                        t.clock.advance(301);
                                    },
                                    "",
                                    {"Not able to connect"}},
                      CloseDownCase{"DuringARestartsPauses",
                                    [](ConnectionTest &t) {
                                        t.connectToPeer();
                                        t.connection.restart(kUpdate);
                                        t.clock.advance(20);
                                    },
                                    "TAV@11TAV@02",
                                    {}},
                      CloseDownCase{"DuringTheLocalUpdatesPausesWithoutALink",
                                    [](ConnectionTest &t) { t.connection.restart(kLocalUpdate); },
                                    "",
                                    {"There is no connection"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ConnectionTest, KeepAliveSendsEveryMinuteAndChoosingItAgainKeepsTheFirstMinute) {
    connectToPeer();
    connection.maintainLink();
    EXPECT_EQ(names(), QStringList{"keepAlive on"});
    clock.advance(250);
    connection.maintainLink();
    clock.advance(349);
    EXPECT_EQ(peer.takeReceived(link), "");
    clock.advance(1);
    EXPECT_EQ(peer.takeReceived(link), "TAV@07");
    clock.advance(600);
    EXPECT_EQ(peer.takeReceived(link), "TAV@07");
}

TEST_F(ConnectionTest, KeepAliveWithoutALinkReportsEveryMinuteNeverStacksAndCloses) {
    link.connectTo(QStringLiteral("127.0.0.1"), deadPort());
    connection.maintainLink();
    prompter.whileOpen = [&](const RecordingPrompter::Box &) {
        prompter.whileOpen = nullptr;
        clock.advance(600); // the minute that passes while the box is open adds no box
    };
    clock.advance(600);
    EXPECT_EQ(prompter.texts(), QStringList{"There is no connection"});
    EXPECT_EQ(prompter.maxDepth, 1);
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    clock.advance(600);
    EXPECT_EQ(prompter.texts(), (QStringList{"There is no connection", "There is no connection"}));
    EXPECT_TRUE(connection.keepAliveOn());
    connection.disconnectLogger();
    clock.advance(5);
    EXPECT_FALSE(connection.keepAliveOn());
}

TEST_F(ConnectionTest, KeepAliveDuringTheWaitLeavesThePendingConnectionAlone) {
    connection.maintainLink();
    clock.advance(500);
    connection.connectTo(to(deadPort()));
    clock.advance(300); // the keep-alive's minute ends at 100 into the wait
    EXPECT_TRUE(prompter.boxes.empty());
    clock.advance(1);
    EXPECT_EQ(prompter.texts(), QStringList{"Not able to connect"});
}

TEST_F(ConnectionTest, CountdownRunsDownToReadyAndConnectOnlyHidesIt) {
    connection.restart(kLocalUpdate); // no link: it still pauses and counts down
    clock.advance(150);
    EXPECT_EQ(names(), (QStringList{"restarted", "show Waiting ..."}));
    EXPECT_EQ(connection.countdownLeft(), 20);
    clock.advance(10);
    connection.connectTo(to(deadPort()));
    clock.advance(190);
    QStringList expected{"restarted", "show Waiting ...", "Waiting ... 19", "hide", "wait"};
    for (int left = 18; left >= 0; --left) {
        expected << QStringLiteral("Waiting ... %1").arg(left, 2, 10, QChar('0'));
    }
    expected << "Ready for connection";
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(at("Ready for connection"), 150 + 200);
    EXPECT_EQ(connection.countdownLeft(), 0);
}

TEST_F(ConnectionTest, RestartCommandsSendPauseCloseAndCountDown) {
    struct Case {
        const catalogue::RestartCommand &command;
        QByteArray frame;
        int pauses;
        int seconds;
    };
    const std::vector<Case> cases = {
        {kUpdate, "TAV@11", 31, 60},
        {kLocalUpdate, "TAV@31", 30, 20},
        {kReboot, "TAV@05", 2, 60},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.frame.toStdString());
        connectToPeer();
        const qint64 start = clock.tenths() - 1000;
        connection.restart(c.command);
        clock.advance(c.pauses * 5 - 1);
        EXPECT_EQ(at("restarted"), -1);
        clock.advance(1);
        EXPECT_EQ(at("restarted") - start, c.pauses * 5);
        EXPECT_EQ(at("show Waiting ..."), at("restarted"));
        EXPECT_EQ(connection.countdownLeft(), c.seconds);
        ASSERT_TRUE(peer.waitForClose());
        EXPECT_EQ(peer.received(), c.frame);
        EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
        EXPECT_TRUE(prompter.boxes.empty());
    }
}

TEST_F(ConnectionTest, RestartWithoutALinkGoesOnOnlyForTheLocalUpdate) {
    for (const auto *command : {&kUpdate, &kReboot}) {
        prompter.boxes.clear();
        connection.restart(*command);
        EXPECT_EQ(prompter.texts(), QStringList{"There is no connection"});
        EXPECT_FALSE(connection.isPausing());
    }
    connection.restart(kLocalUpdate);
    clock.advance(150);
    EXPECT_EQ(names(), (QStringList{"restarted", "show Waiting ..."}));
    EXPECT_EQ(at("restarted"), 150);
    EXPECT_EQ(connection.countdownLeft(), 20);
}

TEST_F(ConnectionTest, SendPathReportsAndClosesOrOnlyReports) {
    link.connectTo(QStringLiteral("127.0.0.1"), deadPort());
    prompter.whileOpen = [&](const RecordingPrompter::Box &) {
        EXPECT_NE(link.state(), QAbstractSocket::UnconnectedState); // closed only after the box
    };
    EXPECT_FALSE(connection.send("TAV@09", "There is no conenction", Connection::WhenDown::Report));
    EXPECT_TRUE(link.isStale());
    EXPECT_FALSE(connection.send("TAV@09"));
    EXPECT_EQ(prompter.texts(), (QStringList{"There is no conenction", "There is no connection"}));
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);

    prompter.whileOpen = nullptr;
    connectToPeer();
    EXPECT_TRUE(connection.send("TAV@12"));
    EXPECT_EQ(peer.takeReceived(link), "TAV@12");
}

TEST_F(ConnectionTest, ANoConnectionBoxDuringTheWaitHoldsItWhileTheLinkComesUp) {
    // Version chosen during the wait: the link comes up while its box is open, and its
    // not-connected path then closes the client. The wait never sees the link it closed.
    connection.connectTo(to(peer.port()));
    keepNextBoxOpen([&] { return link.isConnected(); });
    EXPECT_FALSE(connection.send(frames::command(7)));
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    clock.advance(280);
    EXPECT_EQ(prompter.texts(), QStringList{"There is no connection"});
    clock.advance(1);
    EXPECT_EQ(prompter.texts(), (QStringList{"There is no connection", "Not able to connect"}));
    clock.advance(10);
    EXPECT_EQ(names(), (QStringList{"hide", "wait", "waitEnded"}));
    EXPECT_EQ(at("waitEnded"), 311);
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_TRUE(peer.received().isEmpty());
}

TEST_F(ConnectionTest, ConnectDuringTheWaitTakesTheErrorPathAndTheWaitRunsOut) {
    connection.connectTo(to(peer.port()));
    // Chosen again with replies on screen; the link comes up while it asks.
    Connection::Request again = to(peer.port());
    again.traceListHasEntries = true;
    keepNextBoxOpen([&] { return link.isConnected(); });
    connection.connectTo(again);
    EXPECT_EQ(link.state(), QAbstractSocket::UnconnectedState);
    clock.advance(281);
    clock.advance(10);
    EXPECT_EQ(prompter.texts(), (QStringList{"Warning\r\nConfirm clear screens?",
                                             "Error conecting logger 127.0.0.1 (" +
                                                 QString::number(peer.port()) + ")",
                                             "Not able to connect"}));
    EXPECT_EQ(names(), (QStringList{"hide", "wait", "hide", "waitEnded"}));
    EXPECT_EQ(at("waitEnded"), 311);
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_TRUE(peer.received().isEmpty());
}
