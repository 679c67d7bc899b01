#include "replies/replypath.h"

#include "base/prompter.h"
#include "base/texts.h"
#include "commands/parameterlisting.h"
#include "link/link.h"

#include <utility>

ReplyPath::ReplyPath(Link &link, ParameterListing &listing, Prompter &prompter, const Clock &clock,
                     QString logPath, QObject *parent)
    : QObject(parent), m_link(link), m_listing(listing), m_prompter(prompter),
      m_logPath(std::move(logPath)), m_idleFlush(
                                         clock, [this] { idleFlush(); }, this) {
    connect(&m_link, &Link::readyRead, this, &ReplyPath::scheduleSlice);
    connect(&m_link, &Link::closed, this, [this] {
        // What the logger sent before it went is shown, not dropped; text without
        // its line feed is shown once everything before it is.
        m_closeSeen = true;
        scheduleSlice();
    });
    connect(&m_link, &Link::connected, this, [this] {
        // The last connection's text is shown whole before the new one's begins.
        readAllNow();
        flushPending();
        m_framer.reset();
    });
}

bool ReplyPath::reading() const {
    return m_sliceQueued || m_link.hasData();
}

void ReplyPath::scheduleSlice() {
    if (m_sliceQueued) {
        return;
    }
    m_sliceQueued = true;
    QMetaObject::invokeMethod(this, &ReplyPath::readSlice, Qt::QueuedConnection);
}

void ReplyPath::readSlice() {
    if (!m_sliceQueued) {
        return; // read meanwhile by readAllNow()
    }
    m_sliceQueued = false;
    if (m_unshownBytes > 0 && (!m_sinceShown.isValid() || m_sinceShown.hasExpired(kShowEveryMs))) {
        // In a flood the lists get a turn of their own, so no turn both reads
        // slices and shows them.
        showArrived();
        scheduleSlice();
        return;
    }
    // Slices for a few milliseconds, then the lists get what came and the window paints and
    // answers before the next turn.
    QElapsedTimer turn;
    turn.start();
    do {
        if (!readNextSlice()) {
            break;
        }
    } while (m_link.hasData() && m_slicesInTurn < kMaxSlicesPerTurn &&
             !turn.hasExpired(kTurnBudgetMs));
    endOfArrival();
    if (m_link.hasData()) {
        scheduleSlice();
    } else if (m_closeSeen) {
        m_closeSeen = false;
        flushPending();
    }
}

void ReplyPath::readAllNow() {
    m_sliceQueued = false;
    while (m_link.hasData()) {
        if (m_slicesInTurn == kMaxSlicesPerTurn) {
            endOfArrival();
        }
        if (!readNextSlice()) {
            break;
        }
    }
    endOfArrival();
}

bool ReplyPath::readNextSlice() {
    if (m_slicesInTurn == m_slices.size()) {
        m_slices.emplace_back(kSliceBytes, Qt::Uninitialized);
    }
    QByteArray &slice = m_slices[m_slicesInTurn];
    slice.resize(kSliceBytes); // within its capacity: no allocation
    const qint64 size = m_link.read(slice.data(), kSliceBytes);
    if (size <= 0) {
        return false;
    }
    slice.resize(size);
    ++m_slicesInTurn;
    process(slice);
    return true;
}

void ReplyPath::process(const QByteArray &slice) {
    // Lines that stand whole in the slice are views into it until the turn ends.
    m_framer.feed(slice, *this);
    if (m_framer.hasPending()) {
        m_idleFlush.startIn(kIdleFlushTenths);
    } else {
        m_idleFlush.stop();
    }
    updateLogStatus();
}

void ReplyPath::line(const ReplyLineView &line) {
    // Within a line the trace piece comes first, in the log as in the lists.
    if (!line.trace.isEmpty()) {
        log(line.trace);
        m_newestTrace.add(keep(line.trace));
    }
    if (!line.operation.isEmpty()) {
        // A piece of an over-long text is no parameter line.
        if (!line.operationCut) {
            m_listing.take(line.operation);
        }
        log(line.operation);
        m_newestOperation.add(keep(line.operation));
    }
}

QByteArray ReplyPath::keep(QByteArrayView text) const {
    const QByteArray &slice = m_slices[m_slicesInTurn - 1];
    const bool inSlice = text.data() >= slice.constData() &&
                         text.data() + text.size() <= slice.constData() + slice.size();
    // A view into the slice costs nothing; text from the framer's own buffer is copied.
    return inSlice ? QByteArray::fromRawData(text.data(), text.size()) : text.toByteArray();
}

void ReplyPath::NewestLines::add(QByteArray text) {
    if (m_ring.size() < static_cast<std::size_t>(kNewestLines)) {
        m_ring.push_back(std::move(text));
        return;
    }
    m_ring[m_next] = std::move(text);
    m_next = (m_next + 1) % m_ring.size();
}

std::vector<QByteArray> ReplyPath::NewestLines::take() {
    std::vector<QByteArray> oldestFirst;
    oldestFirst.reserve(m_ring.size());
    for (std::size_t i = 0; i < m_ring.size(); ++i) {
        const QByteArray &text = m_ring[(m_next + i) % m_ring.size()];
        oldestFirst.emplace_back(text.constData(), text.size()); // owned, whatever it pointed into
    }
    m_ring.clear();
    m_next = 0;
    return oldestFirst;
}

void ReplyPath::idleFlush() {
    // A slice still to be read would go on with the unfinished line: it restarts the wait.
    if (!reading()) {
        flushPending();
    }
}

void ReplyPath::flushPending() {
    m_idleFlush.stop();
    if (!m_framer.hasPending()) {
        return;
    }
    // Unfinished text is shown and logged but never taken for a parameter.
    const ReplyLine rest = m_framer.takeRemainder();
    if (!rest.trace.isEmpty()) {
        log(rest.trace);
    }
    if (!rest.operation.isEmpty()) {
        log(rest.operation);
    }
    Q_EMIT remainderArrived(rest);
    updateLogStatus();
    endOfArrival();
}

void ReplyPath::log(QByteArrayView entry) {
    if (m_log.isOpen()) {
        m_log.write(entry); // cannot fail while open: flush() tells
    }
}

void ReplyPath::logFailed() {
    m_log.close();
    Q_EMIT logCaptionChanged(texts::kLogError);
    m_logFailed = true;
}

void ReplyPath::updateLogStatus() {
    if (!m_log.isOpen()) {
        return;
    }
    // Each slice reaches the disk before the next is read, and the limit is checked as
    // often, so the log passes it by at most one slice and one bounded entry.
    if (!m_log.flush()) {
        logFailed();
        return;
    }
    Q_EMIT logCaptionChanged(QLatin1Char(' ') + QString::number(m_log.bytesWritten()) +
                             texts::kLogBytesSuffix);
    if (m_log.overLimit()) {
        m_log.close();
        Q_EMIT logCaptionChanged(texts::kLogTooBig);
    }
}

void ReplyPath::endOfArrival() {
    if (!m_newestTrace.isEmpty() || !m_newestOperation.isEmpty()) {
        const std::vector<QByteArray> trace = m_newestTrace.take();
        const std::vector<QByteArray> operation = m_newestOperation.take();
        for (const auto *lines : {&trace, &operation}) {
            for (const QByteArray &line : *lines) {
                m_unshownBytes += line.size();
            }
        }
        Q_EMIT linesArrived(trace, operation);
    }
    m_slicesInTurn = 0;
    const bool moreWaiting = m_link.hasData() || m_link.moreOnTheWay();
    if (!moreWaiting || !m_sinceShown.isValid() || m_unshownBytes > kUnshownBytes) {
        showArrived();
    }
    if (m_logFailed) {
        // Told once, after the arrival, so the box never interrupts a reply half shown.
        m_logFailed = false;
        m_prompter.inform(texts::logWriteFailed(m_log.path(), m_log.errorString()));
    }
}

void ReplyPath::showArrived() {
    m_sinceShown.start();
    m_unshownBytes = 0;
    Q_EMIT arrivalEnded();
}

void ReplyPath::activateLog() {
    if (m_log.isOpen()) {
        m_prompter.inform(texts::kLogAlready);
        return;
    }
    const bool fresh = m_prompter.ask(texts::kInitLog);
    if (const auto failure =
            m_log.open(m_logPath, fresh ? SessionLog::Mode::Truncate : SessionLog::Mode::Append)) {
        m_prompter.inform(texts::logOpenFailed(m_logPath, *failure), Prompter::Icon::Warning);
        return;
    }
    Q_EMIT logCaptionChanged(texts::kLogActive);
}

void ReplyPath::deactivateLog() {
    if (!m_log.isOpen()) {
        m_prompter.inform(texts::kLogNotActive);
    }
    m_log.close();
    Q_EMIT logCaptionChanged(texts::kLogInactive);
}
