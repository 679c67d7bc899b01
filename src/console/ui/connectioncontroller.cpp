#include "console/ui/connectioncontroller.h"

#include "commands/frames.h"
#include "console/clock.h"
#include "console/eventpump.h"
#include "console/link.h"
#include "console/prompter.h"
#include "console/target.h"
#include "console/ui/mainwindow.h"
#include "loggers/ui/loggergrid.h"

#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <cmath>

namespace {

constexpr int kTavLogon = 1;
constexpr int kTavLogoff = 2;
constexpr int kTavKeepAlive = 7;

} // namespace

ConnectionController::ConnectionController(Main &main) : QObject(&main), m_main(main) {}

bool ConnectionController::send(const QByteArray &frame, const QString &message,
                                WhenDown whenDown) {
    Link &link = m_main.link();
    if (link.isConnected()) {
        // A send that fails although the link said connected is dropped: the
        // logger's silence is the operator's only sign, as with any lost frame.
        return link.send(frame);
    }
    reportNoConnection(message, whenDown);
    return false;
}

void ConnectionController::reportNoConnection(const QString &message, WhenDown whenDown) {
    m_main.prompter().inform(message);
    if (whenDown == WhenDown::ReportAndClose) {
        m_main.link().close();
    }
}

void ConnectionController::connectToSelected() {
    ConsoleState &state = m_main.state();
    m_main.params().restart();
    state.sw_option = 0;
    if (m_waiting) {
        // A second Connect during the wait would only disturb the pending one.
        return;
    }
    Link &link = m_main.link();
    if (link.isConnected()) {
        m_main.prompter().inform(texts::kAlreadyConnected);
        return;
    }
    if (state.sel_row == 0) {
        m_main.prompter().inform(texts::kSelectLogger);
        return;
    }
    if (m_main.traceList().count() > 0 && m_main.prompter().ask(texts::kConfirmClear)) {
        m_main.traceList().clear();
        m_main.operationList().clear();
    }
    m_main.countdownLabel().hide();

    // The grid keeps what was typed; the message shows it as it stands.
    const LoggerGrid &grid = m_main.grid();
    const QString hostText = grid.cell(state.sel_row, 1);
    const QString portText = grid.cell(state.sel_row, 2);
    const auto target = parseTarget(hostText, portText);
    if (!target) {
        errorPath(hostText, portText);
        return;
    }
    // A link the logger dropped is neither closed nor connected: start clean.
    if (link.isStale()) {
        link.close();
    }
    link.connectTo(target->host, target->port);
    waitForConnection();
}

void ConnectionController::waitForConnection() {
    ConsoleState &state = m_main.state();
    Link &link = m_main.link();
    const qint16 row = state.sel_row;
    state.sw_abort = false;
    m_waiting = true;
    m_main.ON_progressBar();
    const qint64 start = m_main.clock().tenths();
    for (;;) {
        const qint64 elapsed = m_main.clock().tenths() - start;
        if (link.isConnected() || state.sw_abort || elapsed > kWaitTenths) {
            break;
        }
        if (state.sel_row != row) {
            // Another logger was picked meanwhile: this connection is no longer wanted.
            state.sw_abort = true;
            break;
        }
        m_main.PUT_progressBar(static_cast<int>(std::lround(elapsed * 100.0 / kWaitTenths)));
        m_main.pump().idle();
    }
    m_waiting = false;
    if (m_closing) {
        // The window has gone: end quietly, touching nothing of it.
        link.close();
        return;
    }
    if (link.isConnected()) {
        m_main.grid().makeCurrent(row);
        m_main.grid().setMark(row, LoggerGrid::Mark::Connected);
        Open_Session();
    } else {
        m_main.prompter().inform(state.sw_abort ? texts::kConnectionStopped
                                                : texts::kNotAbleToConnect);
        Short_Pause();
        Short_Pause();
        link.close();
    }
    m_main.OFF_progressBar();
}

void ConnectionController::errorPath(const QString &host, const QString &port) {
    m_main.prompter().inform(texts::kErrorConnecting + host + QStringLiteral(" (") + port +
                             QStringLiteral(")"));
    m_main.link().close();
}

void ConnectionController::abortConnection() {
    m_main.state().sw_abort = true;
}

void ConnectionController::Open_Session() {
    m_main.state().sw_option = 0;
    send(frames::command(kTavLogon));
}

void ConnectionController::Close_Session() {
    m_main.state().sw_option = 0;
    if (m_main.link().isConnected()) {
        m_main.link().send(frames::command(kTavLogoff));
    }
}

void ConnectionController::Short_Pause() {
    const qint64 start = m_main.clock().tenths();
    while (m_main.clock().tenths() - start < kPauseTenths) {
        m_main.pump().idle();
    }
}

void ConnectionController::disconnectLogger() {
    ConsoleState &state = m_main.state();
    if (m_waiting) {
        // Disconnect during the wait means: do not connect.
        state.sw_abort = true;
    }
    Close_Session();
    Short_Pause();
    state.sw_option = 0;
    Link &link = m_main.link();
    const bool wasConnected = link.isConnected();
    // A logger that said goodbye first leaves a stale link and a green row.
    const bool green =
        state.sel_row != 0 && m_main.grid().mark(state.sel_row) == LoggerGrid::Mark::Connected;
    if (!m_waiting && link.state() != QAbstractSocket::UnconnectedState) {
        link.close();
    }
    if (state.sel_row != 0 && (wasConnected || green)) {
        m_main.grid().makeCurrent(state.sel_row);
        m_main.grid().setMark(state.sel_row, LoggerGrid::Mark::Selected);
    }
    m_main.keepAliveTimer().stop();
    m_main.traceList().setPalette(QPalette());
}

void ConnectionController::closeDown() {
    if (m_waiting) {
        m_closing = true;
        m_main.state().sw_abort = true;
        return;
    }
    Close_Session();
    Short_Pause();
    m_main.state().sw_option = 0;
    if (m_main.link().isConnected()) {
        m_main.link().close();
    }
}

void ConnectionController::maintainLink() {
    // Red trace list: the operator sees at a glance that the link is held.
    QPalette red = m_main.traceList().palette();
    red.setColor(QPalette::Base, QColor(255, 0, 0));
    m_main.traceList().setPalette(red);
    // Choosing it again must not restart the minute, or a keep-alive might never go out.
    if (!m_main.keepAliveTimer().isActive()) {
        m_main.keepAliveTimer().start();
    }
}

void ConnectionController::keepAliveTick() {
    if (m_waiting || m_keepAliveBoxOpen) {
        // Never close a pending connection, never stack a second box on an unread one.
        return;
    }
    Link &link = m_main.link();
    if (link.isConnected()) {
        link.send(frames::command(kTavKeepAlive));
        return;
    }
    m_keepAliveBoxOpen = true;
    m_main.prompter().inform(texts::kNoConnection);
    m_keepAliveBoxOpen = false;
    link.close();
}

void ConnectionController::Start_Countdown(qint16 seconds) {
    m_main.countdownLabel().setText(texts::kWaiting);
    m_main.countdownLabel().show();
    m_main.state().wait_count = seconds;
    m_main.countdownTimer().setInterval(1000);
    m_main.countdownTimer().start();
}

void ConnectionController::countdownTick() {
    ConsoleState &state = m_main.state();
    --state.wait_count;
    m_main.countdownLabel().setText(texts::kWaitingCount +
                                    QStringLiteral("%1").arg(state.wait_count, 2, 10, QChar('0')));
    m_main.countdownTimer().setInterval(1000);
    if (state.wait_count <= 0) {
        m_main.countdownLabel().setText(texts::kReady);
        m_main.countdownTimer().stop();
    }
}
