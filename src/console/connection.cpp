#include "console/connection.h"

#include "commands/frames.h"
#include "commands/parameterlisting.h"
#include "console/clock.h"
#include "console/link.h"
#include "console/prompter.h"
#include "console/target.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTavLogon = 1;
constexpr int kTavLogoff = 2;
constexpr int kTavKeepAlive = 7;

} // namespace

Connection::Connection(Link &link, ParameterListing &listing, Prompter &prompter,
                       const Clock &clock, LinkTimings timings, QObject *parent)
    : QObject(parent), m_link(link), m_listing(listing), m_prompter(prompter), m_clock(clock),
      m_tick(this), m_keepAlive(this), m_countdown(this) {
    m_countdown.setObjectName(QStringLiteral("Timer1"));
    m_keepAlive.setObjectName(QStringLiteral("Timer2"));
    m_tick.setInterval(timings.tick);
    m_keepAlive.setInterval(timings.keepAlive);
    m_countdown.setInterval(timings.countdownStep);
    connect(&m_tick, &QTimer::timeout, this, &Connection::tick);
    connect(&m_keepAlive, &QTimer::timeout, this, &Connection::keepAliveTick);
    connect(&m_countdown, &QTimer::timeout, this, &Connection::countdownTick);
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

bool Connection::isWaiting() const {
    return std::any_of(m_steps.begin(), m_steps.end(),
                       [](const Step &step) { return step.kind == Step::Kind::Wait; });
}

bool Connection::isPausing() const {
    return !m_steps.empty() && m_steps.back().kind == Step::Kind::Pause;
}

void Connection::push(Step::Kind kind, int pauses, std::function<void()> then) {
    m_steps.push_back(Step{kind, m_clock.tenths(), pauses, std::move(then)});
    if (!m_tick.isActive()) {
        m_tick.start();
    }
}

void Connection::tick() {
    while (!m_steps.empty()) {
        const qint64 now = m_clock.tenths();
        // A box on screen belongs to a handler that runs inside the steps: they neither end
        // nor act until it has finished, then go on against the clock as it reads then. The
        // close-down alone goes on, so closing the window always ends the program.
        if (m_prompter.boxOpen() && !m_closing) {
            return;
        }
        if (!stepEnded(m_steps.back(), now)) {
            return;
        }
        const std::function<void()> then = std::move(m_steps.back().then);
        m_steps.pop_back();
        then();
    }
    m_tick.stop();
}

bool Connection::stepEnded(Step &step, qint64 now) {
    const qint64 elapsed = now - step.start;
    if (step.kind == Step::Kind::Wait) {
        if (m_link.isConnected() || m_abortRequested || elapsed > kWaitTenths) {
            return true;
        }
        Q_EMIT waitProgress(static_cast<int>(std::lround(elapsed * 100.0 / kWaitTenths)));
        return false;
    }
    if (elapsed < kPauseTenths) {
        return false;
    }
    // Each half-second counts from the end of the one before.
    if (--step.pausesLeft > 0) {
        step.start = now;
        return false;
    }
    return true;
}

void Connection::connectTo(const Request &request) {
    m_listing.clear();
    m_listing.end();
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
    push(Step::Kind::Wait, 0, [this, row, attempt] { finishWait(row, attempt); });
}

void Connection::finishWait(int row, int attempt) {
    if (m_link.isConnected()) {
        Q_EMIT rowConnected(row);
        openSession();
        Q_EMIT waitEnded();
        return;
    }
    m_prompter.inform(m_abortRequested ? texts::kConnectionStopped : texts::kNotAbleToConnect);
    if (m_closing) {
        return;
    }
    push(Step::Kind::Pause, 2, [this, attempt] {
        // Only this attempt is given up; one started meanwhile is left alone.
        if (attempt == m_attempt) {
            m_link.close();
        }
        Q_EMIT waitEnded();
    });
}

void Connection::abortConnection() {
    m_abortRequested = true;
}

void Connection::selectionMoved() {
    if (isWaiting()) {
        m_abortRequested = true;
    }
}

void Connection::openSession() {
    m_listing.end();
    send(frames::command(kTavLogon));
}

void Connection::closeSession() {
    m_listing.end();
    if (m_link.isConnected()) {
        m_link.send(frames::command(kTavLogoff));
        m_goodbyeSaid = true;
    }
}

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
    closeSession();
    push(Step::Kind::Pause, 1, [this] { finishDisconnect(); });
}

void Connection::finishDisconnect() {
    m_goodbyeSaid = false;
    m_listing.end();
    const bool wasConnected = m_link.isConnected();
    if (!isWaiting() && m_link.state() != QAbstractSocket::UnconnectedState) {
        m_link.close();
    }
    Q_EMIT disconnected(wasConnected);
    m_keepAlive.stop();
    Q_EMIT keepAliveSwitched(false);
}

void Connection::restart(const catalogue::RestartCommand &command) {
    if (m_closing || !m_prompter.ask(command.firstLine + texts::kCrLf + command.secondLine)) {
        return;
    }
    if (m_closing) {
        return;
    }
    m_listing.end();
    const bool connected = m_link.isConnected();
    send(frames::command(command.code));
    if (m_closing || (!connected && !command.alsoWithoutConnection)) {
        return;
    }
    const int seconds = command.countdownSeconds;
    push(Step::Kind::Pause, command.halfSecondPauses, [this, seconds] {
        m_link.close();
        Q_EMIT restarted();
        startCountdown(seconds);
    });
}

void Connection::closeDown() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    // Whatever was waiting or pausing is dropped: the close-down is all that happens now.
    const bool waiting = isWaiting();
    m_steps.clear();
    m_keepAlive.stop();
    m_countdown.stop();
    if (waiting) {
        m_link.close();
    }
    if (!m_goodbyeSaid) {
        closeSession();
    }
    m_listing.end();
    push(Step::Kind::Pause, 1, [this] {
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
        m_keepAlive.start();
    }
    Q_EMIT keepAliveSwitched(true);
}

void Connection::keepAliveTick() {
    if (isWaiting() || m_keepAliveBoxOpen) {
        // Never close a pending connection, never stack a second box on an unread one.
        return;
    }
    if (m_link.isConnected()) {
        m_link.send(frames::command(kTavKeepAlive));
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
    m_countdown.start();
}

void Connection::countdownTick() {
    --m_countdownLeft;
    Q_EMIT countdownChanged(texts::kWaitingCount +
                            QStringLiteral("%1").arg(m_countdownLeft, 2, 10, QChar('0')));
    if (m_countdownLeft <= 0) {
        m_countdown.stop();
        Q_EMIT countdownChanged(texts::kReady);
    }
}
