#include "link/connection.h"

#include "base/prompter.h"
#include "commands/frames.h"
#include "link/link.h"
#include "loggers/target.h"

#include <cmath>

Connection::Connection(Link &link, Prompter &prompter, const Clock &clock, QObject *parent)
    : QObject(parent), m_link(link), m_prompter(prompter), m_steps(clock, prompter, this),
      m_keepAlive(
          clock, [this] { keepAliveTick(); }, this),
      m_countdown(
          clock, [this] { countdownTick(); }, this) {
    // A wait ends the moment its link comes up.
    connect(&m_link, &Link::connected, this, [this] { m_steps.look(); });
}

bool Connection::send(const QByteArray &frame, const QString &message, WhenDown whenDown) {
    if (m_link.isConnected()) {
        // A send that fails although the link said connected is dropped: the
        // logger's silence is the operator's only sign, as with any lost frame.
        return m_link.send(frame);
    }
    reportNoConnection(message, whenDown);
    return false;
}

void Connection::reportNoConnection(const QString &message, WhenDown whenDown) {
    m_prompter.inform(message);
    if (whenDown == WhenDown::ReportAndClose && !m_closing) {
        m_link.close();
    }
}

// Connect: the checks, the clear-screens question, then the 30-second wait.
void Connection::connectTo(const Request &request) {
    if (m_closing) {
        return;
    }
    if (m_link.isConnected()) {
        m_prompter.inform(texts::kAlreadyConnected);
        return;
    }
    if (request.row == 0) {
        m_prompter.inform(texts::kSelectLogger);
        return;
    }
    if (request.traceListHasEntries && m_prompter.ask(texts::kConfirmClear)) {
        Q_EMIT clearListsRequested();
    }
    if (m_closing) {
        return;
    }
    Q_EMIT countdownHidden();

    const auto target = parseTarget(request.hostText, request.portText);
    // During a wait the client is busy with that attempt and refuses a second one: the
    // error path closes it, and the wait then runs out as any unanswered one.
    if (!target || isWaiting()) {
        // The grid keeps what was typed; the message shows it as it stands.
        m_prompter.inform(texts::kErrorConnecting + request.hostText + QStringLiteral(" (") +
                          request.portText + QStringLiteral(")"));
        m_link.close();
        return;
    }
    // A link the logger dropped is neither closed nor connected: start clean.
    if (m_link.isStale()) {
        m_link.close();
    }
    m_link.connectTo(target->host, target->port);
    m_abortRequested = false;
    const int attempt = ++m_attempt;
    Q_EMIT waitStarted();
    const int row = request.row;
    m_steps.wait([this](qint64 elapsed) { return waitIsOver(elapsed); },
                 [this, row, attempt] { finishWait(row, attempt); });
}

bool Connection::waitIsOver(qint64 elapsed) {
    if (m_link.isConnected() || m_abortRequested || elapsed > kWaitTenths) {
        return true;
    }
    Q_EMIT waitProgress(static_cast<int>(std::lround(elapsed * 100.0 / kWaitTenths)));
    return false;
}

void Connection::finishWait(int row, int attempt) {
    if (m_link.isConnected()) {
        Q_EMIT rowConnected(row);
        send(frames::command(frames::kLogOn));
        Q_EMIT waitEnded();
        return;
    }
    m_prompter.inform(m_abortRequested ? texts::kConnectionStopped : texts::kNotAbleToConnect);
    if (m_closing) {
        return;
    }
    m_steps.pause(2, [this, attempt] {
        // Only this attempt is given up; one started meanwhile is left alone.
        if (attempt == m_attempt) {
            m_link.close();
        }
        Q_EMIT waitEnded();
    });
}

void Connection::abortConnection() {
    m_abortRequested = true;
    m_steps.look();
}

void Connection::selectionMoved() {
    if (isWaiting()) {
        abortConnection();
    }
}

void Connection::sayGoodbye() {
    if (m_link.isConnected()) {
        m_link.send(frames::command(frames::kLogOff));
        m_goodbyeSaid = true;
    }
}

// Disconnect: goodbye, half a second, close.
void Connection::disconnectLogger() {
    if (m_closing) {
        return;
    }
    if (isWaiting()) {
        // Disconnect during the wait means: do not connect. The pending attempt is
        // given up now, so it cannot complete while the pause below runs.
        m_abortRequested = true;
        m_link.close();
    }
    sayGoodbye();
    m_steps.pause(1, [this] { finishDisconnect(); });
}

void Connection::finishDisconnect() {
    m_goodbyeSaid = false;
    const bool wasConnected = m_link.isConnected();
    if (!isWaiting() && m_link.state() != QAbstractSocket::UnconnectedState) {
        m_link.close();
    }
    Q_EMIT disconnected(wasConnected);
    m_keepAlive.stop();
    Q_EMIT keepAliveSwitched(false);
}

// Reboot, update, local update: the command, its pauses, the close, the countdown.
void Connection::restart(const catalogue::RestartCommand &command) {
    if (m_closing) {
        return;
    }
    const bool connected = m_link.isConnected();
    send(frames::command(command.code));
    if (m_closing || (!connected && !command.alsoWithoutConnection)) {
        return;
    }
    const int seconds = command.countdownSeconds;
    m_steps.pause(command.halfSecondPauses, [this, seconds] {
        m_link.close();
        Q_EMIT restarted();
        startCountdown(seconds);
    });
}

// The close-down: goodbye, half a second, close; whatever was waiting or pausing is dropped.
void Connection::closeDown() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    m_keepAlive.stop();
    m_countdown.stop();
    // A pending attempt is given up now: nothing is left to close it later.
    if (!m_link.isConnected()) {
        m_link.close();
    }
    if (!m_goodbyeSaid) {
        sayGoodbye();
    }
    m_steps.finishWith(1, [this] {
        if (m_link.isConnected()) {
            m_link.close();
        }
        m_closedDown = true;
        Q_EMIT closedDown();
    });
}

void Connection::maintainLink() {
    if (m_closing) {
        return;
    }
    // Choosing it again must not restart the minute, or a keep-alive might never go out.
    if (!m_keepAlive.isActive()) {
        m_keepAlive.startIn(kKeepAliveTenths);
    }
    Q_EMIT keepAliveSwitched(true);
}

void Connection::keepAliveTick() {
    m_keepAlive.startIn(kKeepAliveTenths);
    if (isWaiting() || m_keepAliveBoxOpen) {
        // Never close a pending connection, never stack a second box on an unread one.
        return;
    }
    if (m_link.isConnected()) {
        m_link.send(frames::command(frames::kKeepAlive));
        return;
    }
    m_keepAliveBoxOpen = true;
    m_prompter.inform(texts::kNoConnection);
    m_keepAliveBoxOpen = false;
    if (!m_closing) {
        m_link.close();
    }
}

void Connection::startCountdown(int seconds) {
    m_countdownLeft = seconds;
    Q_EMIT countdownShown(texts::kWaiting);
    m_countdown.startIn(kCountdownStepTenths);
}

void Connection::countdownTick() {
    --m_countdownLeft;
    Q_EMIT countdownChanged(texts::kWaitingCount +
                            QStringLiteral("%1").arg(m_countdownLeft, 2, 10, QChar('0')));
    if (m_countdownLeft <= 0) {
        Q_EMIT countdownChanged(texts::kReady);
        return;
    }
    m_countdown.startIn(kCountdownStepTenths);
}
