#include "support/console.h"

#include "commands/catalogue.h"
#include "commands/ui/commandcontroller.h"
#include "console/link.h"
#include "console/ui/connectioncontroller.h"
#include "loggers/ui/loggergrid.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTcpServer>
#include <QTimer>

namespace {

// A port on which nothing listens: the connection is refused and never made.
quint16 deadPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

} // namespace

class ConnectionTest : public ConsoleTest {
protected:
    void startWithPeerRow() {
        writeLoggers("LOGGER:Weir,127.0.0.1," + QByteArray::number(peer.port()) +
                     "\r\nLOGGER:Pump,127.0.0.1," + QByteArray::number(peer.port()) + "\r\n");
        start();
    }
    ConnectionController &link() { return main->connection(); }
};

TEST_F(ConnectionTest, ConnectGreetsOnceAndMarksTheRowGreen) {
    startWithPeerRow();
    clickCell(1, 0);
    main->state().sw_option = 1;
    trigger("Conectar");
    ASSERT_TRUE(main->link().isConnected());
    ASSERT_TRUE(peer.waitForBytes(6));
    LoopbackPeer::settle();
    EXPECT_EQ(peer.received(), "TAV@01");
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Connected);
    EXPECT_EQ(main->grid().markColour(1), QColor(0, 255, 0));
    EXPECT_EQ(main->grid().current(), 1);
    EXPECT_FALSE(main->progressBar().isVisible());
    EXPECT_EQ(main->state().sw_option, 0);
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, ConnectWhileConnectedOrWithoutSelectionOnlyResets) {
    startWithPeerRow();
    trigger("Conectar");
    ASSERT_EQ(prompter.texts(), QStringList{"Select logger"});
    EXPECT_EQ(prompter.boxes[0].title, "TAVControl");

    connectRow(1);
    ASSERT_TRUE(peer.waitForBytes(6));
    main->params().fill("A:1");
    main->state().sw_option = 1;
    prompter.boxes.clear();
    trigger("Conectar");
    EXPECT_EQ(prompter.texts(), QStringList{"Already connected"});
    EXPECT_EQ(main->params().count(), 0);
    EXPECT_EQ(main->state().sw_option, 0);
    LoopbackPeer::settle();
    EXPECT_EQ(peer.received(), "TAV@01");
}

TEST_F(ConnectionTest, NonEmptyTraceListAsksBeforeClearing) {
    startWithPeerRow();
    clickCell(1, 0);
    for (bool yes : {false, true}) {
        main->traceList().addItem("trace");
        main->operationList().addItem("op");
        prompter.boxes.clear();
        prompter.answers = {yes};
        trigger("Conectar");
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_TRUE(prompter.boxes[0].question);
        EXPECT_EQ(prompter.boxes[0].text, "Warning\r\nConfirm clear screens?");
        EXPECT_EQ(prompter.boxes[0].title, "Warning");
        EXPECT_EQ(main->traceList().count(), yes ? 0 : 1);
        EXPECT_EQ(main->operationList().count(), yes ? 0 : 1);
        EXPECT_TRUE(main->link().isConnected());
        trigger("Desconectar");
    }
}

TEST_F(ConnectionTest, BadAddressesTakeTheErrorPath) {
    const QByteArray port = QByteArray::number(peer.port());
    writeLoggers("LOGGER:a,127.0.0.1,abc\r\nLOGGER:b,127.0.0.1,70000\r\nLOGGER:c,127.0.0.1,0\r\n"
                 "LOGGER:d,,\r\nLOGGER:e, 127.0.0.1, " +
                 port + "\r\n");
    start();
    const std::vector<std::pair<int, QString>> cases = {
        {1, "Error conecting logger 127.0.0.1 (abc)"},
        {2, "Error conecting logger 127.0.0.1 (70000)"},
        {3, "Error conecting logger 127.0.0.1 (0)"},
        {4, "Error conecting logger  ()"},
        {10, "Error conecting logger  ()"}, // a row the file never reached
    };
    for (const auto &[row, message] : cases) {
        prompter.boxes.clear();
        clickCell(row, 0);
        trigger("Conectar");
        EXPECT_EQ(prompter.texts(), QStringList{message}) << row;
        EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
        EXPECT_FALSE(main->progressBar().isVisible());
    }
    // Blanks typed after the commas are not part of the address.
    prompter.boxes.clear();
    clickCell(5, 0);
    trigger("Conectar");
    EXPECT_TRUE(main->link().isConnected());
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(main->grid().cell(5, 1), " 127.0.0.1");
    ASSERT_TRUE(peer.waitForBytes(6));
    EXPECT_EQ(peer.received(), "TAV@01");
}

TEST_F(ConnectionTest, AbortEndsTheWaitWithConnectionStopped) {
    writeLoggers("LOGGER:dead,127.0.0.1," + QByteArray::number(deadPort()) + "\r\n");
    start();
    clickCell(1, 0);
    int abortedAt = -1;
    pump.onIdle = [&](int turn) {
        if (turn == 10) {
            EXPECT_TRUE(main->progressBar().isVisible());
            trigger("Abort_conn");
            abortedAt = turn;
        }
    };
    trigger("Conectar");
    EXPECT_EQ(abortedAt, 10);
    EXPECT_EQ(prompter.texts(), QStringList{"Connection stopped"});
    // Two half-second pauses after the message.
    EXPECT_GE(pump.idleTurns, 11 + 10);
    EXPECT_LT(pump.idleTurns, 11 + 14);
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
    EXPECT_FALSE(main->progressBar().isVisible());
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Selected);
}

TEST_F(ConnectionTest, UnansweredWaitRunsThirtySecondsWithTheBarClimbing) {
    writeLoggers("LOGGER:dead,127.0.0.1," + QByteArray::number(deadPort()) + "\r\n");
    start();
    clickCell(1, 0);
    std::vector<int> shown;
    pump.onIdle = [&](int) { shown.push_back(main->progressBar().value()); };
    const qint64 before = clock.tenths();
    trigger("Conectar");
    EXPECT_EQ(prompter.texts(), QStringList{"Not able to connect"});
    EXPECT_GE(clock.tenths() - before, 300);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 0);
    EXPECT_EQ(*std::max_element(shown.begin(), shown.end()), 100);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_FALSE(main->progressBar().isVisible());
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
}

TEST_F(ConnectionTest, EveryFixedCommandSendsItsSixBytesAndSetsTheReplyOption) {
    startWithPeerRow();
    connectRow(1);
    ASSERT_TRUE(peer.waitForBytes(6));
    peer.clearReceived();
    for (const auto &command : catalogue::fixedCommands()) {
        main->state().sw_option = 5;
        main->params().fill("STALE:1");
        const QByteArray frame = "TAV@" + QByteArray::number(command.code).rightJustified(2, '0');
        QAction *action = main->action(command.action);
        ASSERT_NE(action, nullptr) << command.action;
        if (action->isEnabled()) {
            action->trigger();
        } else {
            // Hidden entries cannot be chosen; their handlers still behave.
            main->commands().sendFixed(command);
        }
        ASSERT_TRUE(peer.waitForBytes(6)) << command.action;
        LoopbackPeer::settle(10);
        EXPECT_EQ(peer.received(), frame) << command.action;
        peer.clearReceived();
        const int expected = command.option == catalogue::ReplyOption::Listing ? 1
                             : command.option == catalogue::ReplyOption::Keep  ? 5
                                                                               : 0;
        EXPECT_EQ(main->state().sw_option, expected) << command.action;
        EXPECT_EQ(main->params().count(), command.option == catalogue::ReplyOption::Listing ? 0 : 1)
            << command.action;
        main->params().restart();
    }
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, CatalogueCoversTheMenuCommandsWithTheirCodes) {
    const std::map<std::string, int> expected = {{"Ver_Parametros", 3},
                                                 {"Version", 7},
                                                 {"Enviar_Fichero", 8},
                                                 {"SYNC", 9},
                                                 {"Aplicar_Parametros", 12},
                                                 {"Send_email", 13},
                                                 {"Send_email_close", 14},
                                                 {"SYNC_time", 15},
                                                 {"Del_Log", 16},
                                                 {"Show_Log", 17},
                                                 {"Enviar_Interrogacion", 18},
                                                 {"Registrar", 30},
                                                 {"ASK_GPRS", 42},
                                                 {"GPRSstart", 43},
                                                 {"ResetPassword", 44}};
    std::map<std::string, int> actual;
    for (const auto &command : catalogue::fixedCommands()) {
        actual[command.action] = command.code;
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(catalogue::findFixed("Enviar_Fichero")->option, catalogue::ReplyOption::Keep);
    EXPECT_EQ(catalogue::findFixed("Ver_Parametros")->option, catalogue::ReplyOption::Listing);
    EXPECT_EQ(catalogue::findFixed("Reinicio"), nullptr);
}

TEST_F(ConnectionTest, CommandsWithoutAConnectionReportAndCloseAndSendNothing) {
    startWithPeerRow();
    for (const auto &command : catalogue::fixedCommands()) {
        prompter.boxes.clear();
        main->state().sw_option = 5;
        main->commands().sendFixed(command);
        ASSERT_EQ(prompter.boxes.size(), 1u) << command.action;
        EXPECT_EQ(prompter.boxes[0].text, "There is no connection");
        EXPECT_EQ(prompter.boxes[0].title, "TAVControl");
        EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
        EXPECT_EQ(main->state().sw_option, command.option == catalogue::ReplyOption::Listing ? 1
                                           : command.option == catalogue::ReplyOption::Keep  ? 5
                                                                                             : 0);
    }
    LoopbackPeer::settle();
    EXPECT_FALSE(peer.hasClient());
    EXPECT_TRUE(peer.received().isEmpty());
}

TEST_F(ConnectionTest, PendingConnectionIsAbandonedByACommandWithoutConnection) {
    writeLoggers("LOGGER:dead,127.0.0.1," + QByteArray::number(deadPort()) + "\r\n");
    start();
    main->link().connectTo(QStringLiteral("127.0.0.1"), 1);
    prompter.whileOpen = [&](const RecordingPrompter::Box &) {
        // The client is closed only after the operator has closed the box.
        EXPECT_NE(main->link().state(), QAbstractSocket::UnconnectedState);
    };
    trigger("Version");
    EXPECT_EQ(prompter.texts(), QStringList{"There is no connection"});
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
}

TEST_F(ConnectionTest, DisconnectSaysGoodbyeAndMarksTheRowRed) {
    startWithPeerRow();
    connectRow(1);
    trigger("mantencomm");
    ASSERT_TRUE(peer.waitForBytes(6));
    const int turns = pump.idleTurns;
    trigger("Desconectar");
    EXPECT_GE(pump.idleTurns - turns, 5);
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_EQ(peer.received(), "TAV@01TAV@02");
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Selected);
    EXPECT_FALSE(main->keepAliveTimer().isActive());
    EXPECT_EQ(main->traceList().palette().color(QPalette::Base),
              main->palette().color(QPalette::Base));
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, DisconnectWithoutConnectionOnlyPausesAndStopsTheKeepAlive) {
    startWithPeerRow();
    clickCell(2, 0);
    trigger("mantencomm");
    const int turns = pump.idleTurns;
    trigger("Desconectar");
    EXPECT_GE(pump.idleTurns - turns, 5);
    EXPECT_EQ(main->grid().mark(2), LoggerGrid::Mark::Selected);
    EXPECT_FALSE(main->keepAliveTimer().isActive());
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_FALSE(peer.hasClient());
}

TEST_F(ConnectionTest, DisconnectAfterTheLoggerLeftTurnsTheGreenRowRed) {
    startWithPeerRow();
    connectRow(1);
    ASSERT_TRUE(peer.waitForBytes(6));
    peer.dropClient();
    ASSERT_TRUE(waitUntil([&] { return !main->link().isConnected(); }));
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Connected);
    trigger("Desconectar");
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Selected);
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(peer.received(), "TAV@01");
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ConnectionTest, LoggerLeavingDuringTheGoodbyePauseStillEndsRed) {
    startWithPeerRow();
    connectRow(1);
    ASSERT_TRUE(peer.waitForBytes(6));
    pump.onIdle = [&](int) {
        if (peer.received().endsWith("TAV@02")) {
            peer.dropClient();
        }
    };
    trigger("Desconectar");
    EXPECT_EQ(peer.received(), "TAV@01TAV@02");
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Selected);
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
}

TEST_F(ConnectionTest, ConnectAfterTheLoggerDroppedTheLinkWorksAtOnce) {
    startWithPeerRow();
    connectRow(1);
    ASSERT_TRUE(peer.waitForBytes(6));
    peer.dropClient();
    ASSERT_TRUE(waitUntil([&] { return !main->link().isConnected(); }));
    peer.clearReceived();
    trigger("Conectar");
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
    EXPECT_TRUE(main->link().isConnected());
    ASSERT_TRUE(peer.waitForBytes(6));
    EXPECT_EQ(peer.received(), "TAV@01");
}

TEST_F(ConnectionTest, PickingAnotherLoggerDuringTheWaitStopsIt) {
    writeLoggers("LOGGER:dead,127.0.0.1," + QByteArray::number(deadPort()) +
                 "\r\nLOGGER:other,127.0.0.1," + QByteArray::number(peer.port()) + "\r\n");
    start();
    clickCell(1, 0);
    pump.onIdle = [&](int turn) {
        if (turn == 3) {
            clickCell(2, 0);
        }
    };
    trigger("Conectar");
    EXPECT_EQ(prompter.texts(), QStringList{"Connection stopped"});
    EXPECT_EQ(main->state().sel_row, 2);
    EXPECT_EQ(main->grid().mark(2), LoggerGrid::Mark::Selected);
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::None);
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
}

TEST_F(ConnectionTest, KeepAliveTickDuringTheWaitLeavesThePendingConnectionAlone) {
    startWithPeerRow();
    clickCell(1, 0);
    trigger("mantencomm");
    pump.onIdle = [&](int turn) {
        if (turn == 0) {
            ASSERT_FALSE(main->link().isConnected());
            link().keepAliveTick();
        }
    };
    trigger("Conectar");
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
    EXPECT_TRUE(main->link().isConnected());
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Connected);
}

TEST_F(ConnectionTest, ClosingTheWindowDuringTheWaitEndsItQuietly) {
    writeLoggers("LOGGER:dead,127.0.0.1," + QByteArray::number(deadPort()) + "\r\n");
    start();
    clickCell(1, 0);
    pump.onIdle = [&](int turn) {
        if (turn == 2) {
            main->close();
        }
    };
    trigger("Conectar");
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_LT(pump.idleTurns, 10);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
}

TEST_F(ConnectionTest, ClosingTheWindowSaysGoodbyeOnlyWhenConnected) {
    startWithPeerRow();
    main->close();
    LoopbackPeer::settle();
    EXPECT_FALSE(peer.hasClient());

    main.reset();
    start();
    connectRow(1);
    ASSERT_TRUE(peer.waitForBytes(6));
    main->close();
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_EQ(peer.received(), "TAV@01TAV@02");
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(main->state().sw_option, 0);
}

TEST_F(ConnectionTest, KeepAliveSendsVersionFrameWithoutEndingAListing) {
    startWithPeerRow();
    connectRow(1);
    ASSERT_TRUE(peer.waitForBytes(6));
    trigger("mantencomm");
    EXPECT_TRUE(main->keepAliveTimer().isActive());
    EXPECT_EQ(main->keepAliveTimer().interval(), 60000);
    EXPECT_EQ(main->traceList().palette().color(QPalette::Base), QColor(255, 0, 0));
    trigger("Ver_Parametros");
    link().keepAliveTick();
    ASSERT_TRUE(peer.waitForBytes(18));
    EXPECT_EQ(peer.received(), "TAV@01TAV@03TAV@07");
    EXPECT_EQ(main->state().sw_option, 1);
    // Choosing it again changes nothing.
    trigger("mantencomm");
    EXPECT_TRUE(main->keepAliveTimer().isActive());
}

TEST_F(ConnectionTest, ChoosingMaintainLinkAgainKeepsTheFirstMinute) {
    startWithPeerRow();
    connectRow(1);
    ASSERT_TRUE(peer.waitForBytes(6));
    // A minute scaled down to 400 ms; chosen again at 250 ms, the first keep-alive
    // still goes out at 400 ms, not at 650 ms.
    main->keepAliveTimer().setInterval(400);
    QElapsedTimer since;
    since.start();
    trigger("mantencomm");
    LoopbackPeer::settle(250);
    trigger("mantencomm");
    ASSERT_TRUE(peer.waitForBytes(12, 2000));
    EXPECT_LT(since.elapsed(), 600);
    EXPECT_EQ(peer.received(), "TAV@01TAV@07");
}

TEST_F(ConnectionTest, KeepAliveWithoutConnectionReportsEveryTickButNeverStacks) {
    startWithPeerRow();
    trigger("mantencomm");
    int nested = 0;
    prompter.whileOpen = [&](const RecordingPrompter::Box &) {
        // The timer keeps firing inside the open box.
        if (nested++ < 3) {
            link().keepAliveTick();
        }
    };
    link().keepAliveTick();
    EXPECT_EQ(prompter.texts(), QStringList{"There is no connection"});
    EXPECT_EQ(prompter.maxDepth, 1);
    link().keepAliveTick();
    EXPECT_EQ(prompter.boxes.size(), 2u);
    EXPECT_TRUE(main->keepAliveTimer().isActive());
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
    trigger("Desconectar");
    EXPECT_FALSE(main->keepAliveTimer().isActive());
}

TEST_F(ConnectionTest, KeepAliveAfterTheLoggerDroppedReportsAndCloses) {
    startWithPeerRow();
    connectRow(1);
    trigger("mantencomm");
    ASSERT_TRUE(peer.waitForBytes(6));
    peer.dropClient();
    ASSERT_TRUE(waitUntil([&] { return !main->link().isConnected(); }));
    link().keepAliveTick();
    EXPECT_EQ(prompter.texts(), QStringList{"There is no connection"});
    EXPECT_EQ(main->traceList().palette().color(QPalette::Base), QColor(255, 0, 0));
}

TEST_F(ConnectionTest, CountdownCaptionsRunDownToReady) {
    start();
    link().Start_Countdown(60);
    QLabel &label = main->countdownLabel();
    EXPECT_TRUE(label.isVisible());
    EXPECT_EQ(label.text(), "Waiting ...");
    EXPECT_TRUE(main->countdownTimer().isActive());
    EXPECT_EQ(main->countdownTimer().interval(), 1000);
    std::map<int, QString> seen;
    for (int tick = 1; tick <= 60; ++tick) {
        link().countdownTick();
        seen[tick] = label.text();
    }
    EXPECT_EQ(seen[1], "Waiting ... 59");
    EXPECT_EQ(seen[55], "Waiting ... 05");
    EXPECT_EQ(seen[59], "Waiting ... 01");
    EXPECT_EQ(seen[60], "Ready for connection");
    EXPECT_FALSE(main->countdownTimer().isActive());
    EXPECT_TRUE(label.isVisible());
}

TEST_F(ConnectionTest, ConnectHidesARunningCountdownWhichStillEnds) {
    startWithPeerRow();
    link().Start_Countdown(20);
    for (int tick = 0; tick < 5; ++tick) {
        link().countdownTick();
    }
    connectRow(1);
    EXPECT_FALSE(main->countdownLabel().isVisible());
    EXPECT_TRUE(main->countdownTimer().isActive());
    for (int tick = 5; tick < 20; ++tick) {
        link().countdownTick();
    }
    EXPECT_EQ(main->countdownLabel().text(), "Ready for connection");
    EXPECT_FALSE(main->countdownTimer().isActive());
    EXPECT_FALSE(main->countdownLabel().isVisible());
}

TEST_F(ConnectionTest, ConnectResetsTheParameterCount) {
    startWithPeerRow();
    main->params().fill("A:1");
    main->params().fill("B:2");
    connectRow(1);
    EXPECT_EQ(main->params().count(), 0);
    EXPECT_EQ(main->params().name(0), "");
}

TEST_F(ConnectionTest, ConnectFromAStaleClientStartsClean) {
    startWithPeerRow();
    clickCell(1, 0);
    // A client left neither closed nor connected, as after a failed attempt or a socket error.
    main->link().connectTo(QStringLiteral("127.0.0.1"), deadPort());
    ASSERT_TRUE(main->link().isStale());
    trigger("Conectar");
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
    EXPECT_TRUE(main->link().isConnected());
    ASSERT_TRUE(peer.waitForBytes(6));
    EXPECT_EQ(peer.received(), "TAV@01");
}
