#pragma once

#include "replies/replyframer.h"
#include "replies/sessionlog.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <vector>

class Link;
class ParameterListing;
class Prompter;

// Everything the logger sends: cut into lines, handed to the parameter listing and the
// session log in the order it arrived, and offered to the lists through signals. Reads
// in bounded slices, one per turn of the event loop, so a burst never stalls the window;
// also owns the session log's menu commands and status.
class ReplyPath final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplyPath)

public:
    static constexpr int kIdleFlushMs = 1000;
    static constexpr qint64 kSliceBytes = 64 * 1024;
    // How long one turn of the event loop may read slices before the window gets its turn.
    static constexpr qint64 kTurnBudgetMs = 5;

    ReplyPath(Link &link, ParameterListing &listing, Prompter &prompter, QString logPath,
              QObject *parent = nullptr);

    void activateLog();
    void deactivateLog();
    bool logActive() const { return m_log.isOpen(); }
    qint64 logBytes() const { return m_log.bytesWritten(); }
    // A slice is queued or bytes wait on the link.
    bool reading() const;

Q_SIGNALS:
    // The complete lines of one slice, in the order they arrived.
    void linesArrived(const std::vector<ReplyLine> &lines);
    // Text left without its line feed: shown after an idle second, or when the link
    // closes or starts anew, once everything before it is shown.
    void remainderArrived(const ReplyLine &rest);
    // After the slices of one turn, and after each remainder: the lists show what came.
    void arrivalEnded();
    void logCaptionChanged(const QString &caption);

private:
    void scheduleSlice();
    void readSlice();
    void readAllNow();
    void process(QByteArrayView slice);
    void flushPending();
    void updateLogStatus();
    void endOfArrival();
    void idleFlush();
    void log(const QByteArray &entry);
    void logFailed();

    Link &m_link;
    ParameterListing &m_listing;
    Prompter &m_prompter;
    const QString m_logPath;
    ReplyFramer m_framer;
    SessionLog m_log;
    QTimer m_idleFlush;
    std::vector<ReplyLine> m_lines; // one slice's lines, reused
    bool m_sliceQueued = false;
    bool m_closeSeen = false;
    bool m_logFailed = false;
};
