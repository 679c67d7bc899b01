#include "tavctl/session.h"

#include "base/texts.h"
#include "commands/frames.h"
#include "commands/utctime.h"
#include "tavctl/sessionclock.h"
#include "tavctl/texts.h"
#include "tavctl/transcript.h"

#include <algorithm>

namespace tavctl {
namespace {

constexpr qint64 kSliceBytes = 64 * 1024;
// The socket holds at most this much unread: a logger that sends faster than the session
// reads is slowed by TCP instead of filling memory.
constexpr qint64 kReadBufferBytes = 1024 * 1024;

} // namespace

Session::Session(LoggerEntry logger, const Plan &plan, const SessionSettings &settings,
                 const SessionClock &clock, std::unique_ptr<Transcript> transcript, QObject *parent)
    : QObject(parent), m_plan(plan), m_settings(settings), m_clock(clock),
      m_transcript(std::move(transcript)), m_socket(this), m_timer(this) {
    m_result.logger = std::move(logger);
    m_result.error = texts::kNotContacted;
    m_socket.setReadBufferSize(kReadBufferBytes);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Session::onTimer);
    connect(&m_socket, &QTcpSocket::connected, this, &Session::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &Session::onReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &Session::onLinkDown);
    connect(&m_socket, &QTcpSocket::stateChanged, this, [this](QAbstractSocket::SocketState s) {
        if (s == QAbstractSocket::UnconnectedState) {
            onLinkDown();
        }
    });
}

Session::~Session() = default;

void Session::start() {
    if (m_phase != Phase::Idle) {
        return;
    }
    const std::optional<Target> &target = m_result.logger.target;
    if (!target) {
        finish(texts::kBadAddress);
        return;
    }
    note(QStringLiteral("connecting to %1:%2").arg(target->host).arg(target->port));
    m_phase = Phase::Connecting;
    m_phaseStart = m_clock.milliseconds();
    schedule();
    m_socket.connectToHost(target->host, target->port);
}

void Session::stop() {
    switch (m_phase) {
    case Phase::Idle:
    case Phase::Done:
    case Phase::Goodbye: // ends within its half second anyway
        return;
    case Phase::Connecting:
    case Phase::Pausing:
        finish(texts::kInterrupted);
        return;
    case Phase::Greeting:
    case Phase::Reply:
        m_error = texts::kInterrupted;
        sayGoodbye();
        return;
    }
}

void Session::onConnected() {
    if (m_phase != Phase::Connecting) {
        return;
    }
    m_result.connectMs = m_clock.milliseconds() - m_phaseStart;
    // Frames are a few bytes each and each waits for its reply: no Nagle delay.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    note(QStringLiteral("connected"));
    send(frames::command(frames::kLogOn), Phase::Greeting);
}

void Session::onReadyRead() {
    while (m_phase != Phase::Done && m_socket.bytesAvailable() > 0) {
        const QByteArray slice = m_socket.read(kSliceBytes);
        if (m_transcript) {
            m_transcript->received(m_clock.nowUtc(), slice);
        }
        m_lastArrival = m_clock.milliseconds();
        m_framer.feed(slice, *this);
    }
}

void Session::onLinkDown() {
    if (m_phase == Phase::Done || m_phase == Phase::Idle) {
        return;
    }
    if (m_phase == Phase::Connecting) {
        const QAbstractSocket::SocketError error = m_socket.error();
        if (error == QAbstractSocket::UnknownSocketError) {
            return; // on its way to the error; errorOccurred follows
        }
        finish(error == QAbstractSocket::ConnectionRefusedError ? texts::kRefused
               : error == QAbstractSocket::HostNotFoundError    ? texts::kHostNotFound
                                                                : m_socket.errorString());
        return;
    }
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        return; // an error on the way to the close, or one that left the link up
    }
    note(QStringLiteral("closed by the logger"));
    // After the goodbye or a restart command the logger closing is the expected end.
    finish(m_phase == Phase::Pausing || m_phase == Phase::Goodbye ? m_error : texts::kDropped);
}

void Session::onTimer() {
    if (m_phase == Phase::Done) {
        return;
    }
    onReadyRead(); // a reply waiting to be read is not quiet
    const qint64 now = m_clock.milliseconds();
    if (now < deadline()) {
        schedule();
        return;
    }
    switch (m_phase) {
    case Phase::Connecting:
        note(QStringLiteral("no connection"));
        finish(texts::noAnswer(m_settings.connectMs / 1000));
        return;
    case Phase::Greeting:
    case Phase::Reply:
        flushRemainder();
        sendNext();
        return;
    case Phase::Pausing:
    case Phase::Goodbye:
        note(QStringLiteral("closed"));
        finish(m_error);
        return;
    case Phase::Idle:
    case Phase::Done:
        return;
    }
}

qint64 Session::deadline() const {
    switch (m_phase) {
    case Phase::Connecting:
        return m_phaseStart + m_settings.connectMs + 1; // past the wait, as the console counts
    case Phase::Greeting:
    case Phase::Reply:
        return std::min(m_lastArrival + m_settings.quietMs, m_phaseStart + m_settings.waitMs);
    case Phase::Pausing:
        return m_phaseStart + m_plan.restartPauses * kPauseMs;
    case Phase::Goodbye:
        return m_phaseStart + kPauseMs;
    case Phase::Idle:
    case Phase::Done:
        break;
    }
    return 0;
}

void Session::schedule() {
    const qint64 left = deadline() - m_clock.milliseconds();
    m_timer.start(static_cast<int>(std::clamp<qint64>(left, 1, m_settings.longestNapMs)));
}

void Session::sendNext() {
    if (m_plan.syncClock && m_nextFrame == 0) {
        ++m_nextFrame;
        // Read once when it goes out, so the six fields belong to one instant.
        if (const auto frame = frames::clockSync(currentUtcSecond(m_clock))) {
            send(*frame, Phase::Reply);
            return;
        }
        m_error = ::texts::kClockOutOfRange;
    } else if (m_nextFrame < m_plan.frames.size()) {
        const QByteArray &frame = m_plan.frames[m_nextFrame++];
        if (m_plan.listParameters) {
            m_listing.begin();
        }
        send(frame, m_plan.restarts() ? Phase::Pausing : Phase::Reply);
        return;
    }
    sayGoodbye();
}

void Session::sayGoodbye() {
    flushRemainder();
    m_listing.end();
    send(frames::command(frames::kLogOff), Phase::Goodbye);
}

void Session::send(const QByteArray &frame, Phase next) {
    if (m_transcript) {
        m_transcript->sent(m_clock.nowUtc(), frame);
    }
    m_socket.write(frame);
    m_socket.flush();
    m_phase = next;
    m_phaseStart = m_lastArrival = m_clock.milliseconds();
    schedule();
}

void Session::line(const ReplyLineView &line) {
    // Within a line the trace piece comes first, as in the console's lists.
    if (!line.trace.isEmpty()) {
        keep(line.trace, false);
    }
    if (!line.operation.isEmpty()) {
        // A piece of an over-long text is no parameter line.
        if (!line.operationCut) {
            takeParameter(line.operation);
        }
        keep(line.operation, true);
    }
}

void Session::keep(QByteArrayView text, bool operation) {
    if (m_keptBytes + text.size() > kMaxKeptBytes) {
        ++m_result.linesNotKept;
        return;
    }
    m_keptBytes += text.size();
    auto &lines = m_phase == Phase::Greeting  ? m_result.greeting
                  : m_phase == Phase::Goodbye ? m_result.goodbye
                                              : m_result.reply;
    lines.push_back({text.toByteArray(), operation});
}

void Session::takeParameter(QByteArrayView line) {
    if (!m_listing.isOpen()) {
        return;
    }
    // The console's table keeps 201 parameters; a scratch table with the same rule counts
    // the ones it could not keep.
    m_probe.fill(line);
    if (m_probe.count() > 0) {
        ++m_parameterLines;
        m_probe.restart();
    }
    m_listing.take(line);
}

void Session::flushRemainder() {
    // Text without its line feed: shown, never taken for a parameter, as the console does.
    const ReplyLine rest = m_framer.takeRemainder();
    if (!rest.trace.isEmpty()) {
        keep(rest.trace, false);
    }
    if (!rest.operation.isEmpty()) {
        keep(rest.operation, true);
    }
}

void Session::finish(const QString &error) {
    if (m_phase == Phase::Done) {
        return;
    }
    const bool listed = m_phase != Phase::Idle && m_phase != Phase::Connecting;
    onReadyRead(); // what came before the end still counts
    m_phase = Phase::Done;
    m_timer.stop();
    m_socket.abort();
    flushRemainder();
    QString why = error;
    if (m_plan.listParameters && listed) {
        const ParameterTable &table = m_listing.table();
        const int kept = std::min(m_parameterLines, ParameterTable::kSlots);
        for (int slot = 0; slot < kept; ++slot) {
            m_result.parameters.emplace_back(table.name(slot), table.value(slot));
        }
        if (m_parameterLines > ParameterTable::kSlots && why.isEmpty()) {
            why = texts::tooManyParameters(ParameterTable::kSlots);
        }
    }
    m_result.ok = why.isEmpty();
    m_result.error = why;
    m_transcript.reset();
    QMetaObject::invokeMethod(this, &Session::finished, Qt::QueuedConnection);
}

void Session::note(const QString &text) {
    if (m_transcript) {
        m_transcript->note(m_clock.nowUtc(), text);
    }
}

} // namespace tavctl
