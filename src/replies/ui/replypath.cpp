#include "replies/ui/replypath.h"

#include "commands/frames.h"
#include "console/eventpump.h"
#include "console/link.h"
#include "console/prompter.h"
#include "console/text8.h"
#include "console/texts.h"
#include "console/ui/connectioncontroller.h"
#include "console/ui/mainwindow.h"
#include "loggers/ui/loggergrid.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <utility>

ReplyPath::ReplyPath(Main &main) : QObject(&main), m_main(main) {
    m_sincePump.start();
    m_idleFlush.setSingleShot(true);
    m_idleFlush.setInterval(kIdleFlushMs);
    connect(&m_idleFlush, &QTimer::timeout, this, &ReplyPath::flushPending);
    Link &link = m_main.link();
    connect(&link, &Link::readyRead, this, &ReplyPath::readArrivals);
    connect(&link, &Link::closed, this, [this] {
        // What the logger sent before it went is shown, not dropped; text
        // without its line feed is shown once everything before it is.
        m_closeSeen = true;
        readArrivals();
    });
    connect(&link, &Link::connected, this, [this] {
        flushPending();
        m_framer.reset();
    });
}

void ReplyPath::readArrivals() {
    Link &link = m_main.link();
    if (m_reading) {
        // An arrival during the pump of the current one: take its bytes now, so
        // a close meanwhile cannot discard them, and show them after it.
        m_held.append(link.readAll());
        return;
    }
    m_reading = true;
    for (QByteArray slice = nextSlice(); !slice.isEmpty(); slice = nextSlice()) {
        process(slice);
    }
    m_reading = false;
    if (m_closeSeen) {
        m_closeSeen = false;
        flushPending();
    }
}

QByteArray ReplyPath::nextSlice() {
    // Bounded slices: a burst of megabytes is framed a slice at a time, with
    // the window's events handled in between.
    if (m_heldAt < m_held.size()) {
        QByteArray slice = m_held.mid(m_heldAt, kSliceBytes);
        m_heldAt += slice.size();
        if (m_heldAt == m_held.size()) {
            m_held.clear();
            m_heldAt = 0;
        }
        return slice;
    }
    return m_main.link().read(kSliceBytes);
}

void ReplyPath::process(const QByteArray &arrival) {
    // Local: a nested arrival during the pump must not touch these lines.
    std::vector<ReplyLine> lines;
    m_framer.feed(arrival, lines);
    for (const ReplyLine &line : lines) {
        emitLine(line);
        // Events run between lines so the window answers during long replies; a
        // repaint per line would cost twenty times the work of the line itself.
        if (m_sincePump.hasExpired(kPumpEveryMs)) {
            m_main.pump().processPending();
            m_sincePump.restart();
        }
    }
    if (m_framer.hasPending()) {
        m_idleFlush.start();
    } else {
        m_idleFlush.stop();
    }
    endOfArrival();
}

void ReplyPath::flushPending() {
    m_idleFlush.stop();
    if (!m_framer.hasPending()) {
        return;
    }
    emitRemainder(m_framer.takeRemainder());
    endOfArrival();
}

void ReplyPath::emitLine(const ReplyLine &line) {
    if (!line.trace.isEmpty()) {
        show(m_main.traceList(), line.trace, kListLimit);
        log(line.trace);
    }
    if (!line.operation.isEmpty()) {
        if (m_main.state().sw_option == 1) {
            m_main.Fill_Parameters(line.operation);
        }
        show(m_main.operationList(), line.operation, kListLimit);
        log(line.operation);
    }
}

void ReplyPath::emitRemainder(const ReplyLine &rest) {
    // Unfinished text is shown and logged but never taken for a parameter.
    if (!rest.trace.isEmpty()) {
        show(m_main.traceList(), rest.trace, kRemainderLimit);
        log(rest.trace);
    }
    if (!rest.operation.isEmpty()) {
        show(m_main.operationList(), rest.operation, kRemainderLimit);
        log(rest.operation);
    }
}

void ReplyPath::show(QListWidget &list, const QByteArray &text, int limit) {
    if (m_main.displaySwitch().isChecked()) {
        list.addItem(shownText(text));
    }
    if (list.count() > limit) {
        delete list.takeItem(0);
    }
}

QString ReplyPath::shownText(const QByteArray &text) {
    // The list scrolls over 10000 pixels: a longer entry would only cost a
    // whole-text layout on every repaint. The log keeps every byte.
    if (text.size() <= kShownChars) {
        return text8::toDisplay(text);
    }
    return text8::toDisplay(QByteArrayView(text).first(kShownChars)) +
           texts::moreCharacters(text.size() - kShownChars);
}

void ReplyPath::log(const QByteArray &entry) {
    ConsoleState &state = m_main.state();
    if (!state.Log_Active) {
        return;
    }
    if (!m_log.write(entry)) {
        logFailed();
        return;
    }
    state.Log_Bytes += static_cast<double>(entry.size());
}

void ReplyPath::logFailed() {
    ConsoleState &state = m_main.state();
    m_log.close();
    state.Log_Active = false;
    m_main.logSizeLabel().setText(texts::kLogError);
    m_logFailed = true;
}

void ReplyPath::endOfArrival() {
    for (QListWidget *list : {&m_main.traceList(), &m_main.operationList()}) {
        if (list->count() > 0) {
            list->setCurrentRow(list->count() - 1);
        }
    }
    ConsoleState &state = m_main.state();
    if (state.Log_Active) {
        // Each arrival reaches the disk before the next is read.
        if (!m_log.flush()) {
            logFailed();
        } else {
            m_main.logSizeLabel().setText(QStringLiteral(" %1").arg(state.Log_Bytes, 0, 'f', 0) +
                                          texts::kLogBytesSuffix);
            if (state.Log_Bytes > kLogLimit) {
                m_log.close();
                state.Log_Active = false;
                m_main.logSizeLabel().setText(texts::kLogTooBig);
            }
        }
    }
    if (m_logFailed) {
        // Told once, after the arrival, so the box never interrupts a reply half shown.
        m_logFailed = false;
        m_main.prompter().inform(texts::logWriteFailed(m_log.path(), m_log.errorString()));
    }
}

void ReplyPath::displayClicked() {
    QCheckBox &box = m_main.displaySwitch();
    QPalette palette = box.palette();
    if (box.isChecked()) {
        box.setText(texts::kDisplayOn);
        palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
    } else {
        box.setText(texts::kDisplayOff);
        palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    }
    box.setPalette(palette);
}

void ReplyPath::clearTrace() {
    m_main.traceList().clear();
}

void ReplyPath::clearOperation() {
    m_main.operationList().clear();
}

void ReplyPath::activateLog() {
    ConsoleState &state = m_main.state();
    if (state.Log_Active) {
        m_main.prompter().inform(texts::kLogAlready);
        return;
    }
    const bool fresh = m_main.prompter().ask(texts::kInitLog);
    const QString path = m_main.pathOf(QStringLiteral("tav.log"));
    if (const auto failure =
            m_log.open(path, fresh ? SessionLog::Mode::Truncate : SessionLog::Mode::Append)) {
        m_main.prompter().inform(texts::logOpenFailed(path, *failure), Prompter::Icon::Warning);
        return;
    }
    state.Log_Bytes = 0;
    state.Log_Active = true;
    m_main.logSizeLabel().setText(texts::kLogActive);
}

void ReplyPath::deactivateLog() {
    ConsoleState &state = m_main.state();
    if (!state.Log_Active) {
        m_main.prompter().inform(texts::kLogNotActive);
    }
    state.Log_Active = false;
    m_main.logSizeLabel().setText(texts::kLogInactive);
    m_log.close();
}

void ReplyPath::restart(const Restart &command) {
    if (!m_main.prompter().ask(command.firstLine + texts::kCrLf + command.secondLine)) {
        return;
    }
    ConsoleState &state = m_main.state();
    state.sw_option = 0;
    const bool connected = m_main.link().isConnected();
    m_main.connection().send(frames::command(command.code));
    if (!connected && !command.alsoWithoutConnection) {
        return;
    }
    for (int i = 0; i < command.pauses; ++i) {
        m_main.connection().Short_Pause();
    }
    m_main.link().close();
    if (state.sel_row != 0) {
        m_main.grid().setMark(state.sel_row, LoggerGrid::Mark::Selected);
    }
    m_main.connection().Start_Countdown(command.countdown);
}

void ReplyPath::updateApplication() {
    restart({texts::kCheckApp, texts::kConfirmUpdate, 11, 31, 60, false});
}

void ReplyPath::localUpdate() {
    restart({texts::kLocalOnly, texts::kConfirmUpdate, 31, 30, 20, true});
}

void ReplyPath::reboot() {
    restart({texts::kWarningBang, texts::kConfirmReboot, 5, 2, 60, false});
}
