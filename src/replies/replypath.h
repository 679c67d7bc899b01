#pragma once

#include "base/clock.h"
#include "replies/replyframer.h"
#include "replies/sessionlog.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <vector>

class Link;
class ParameterListing;
class Prompter;

// Everything the logger sends: cut into lines, handed to the parameter listing and the
// session log in the order it arrived, and offered to the lists through signals. Reads
// in bounded slices, one per turn of the event loop, so a burst never stalls the window;
// also owns the session log's menu commands and status.
class ReplyPath final : public QObject, private ReplyLineSink {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplyPath)

public:
    static constexpr qint64 kIdleFlushTenths = 10;
    static constexpr qint64 kSliceBytes = 64 * 1024;
    // How long one turn of the event loop may read slices before the window gets its turn.
    // Short: a turn no longer costs a list update (see kShowEveryMs), only a return to the
    // event loop.
    static constexpr qint64 kTurnBudgetMs = 3;
    // At most this many slices a turn (a read buffer's worth), so the slices kept from one
    // turn to the next stay bounded.
    static constexpr std::size_t kMaxSlicesPerTurn = 64;
    // While more of the stream waits (on the link or still in the system), the lists show what
    // came about 30 times a second: smooth to the eye for lines that come faster than anyone
    // reads, and half the cost of every frame (showing and painting the lists is most of what
    // a flood costs beyond reading it). The lines of the turns between wait for it. A turn
    // that leaves nothing waiting shows its lines at once.
    static constexpr qint64 kShowEveryMs = 33;
    // ...unless the lines waiting for it hold more than this: long entries are shown at once,
    // so the copies the lists hold stay small.
    static constexpr qsizetype kUnshownBytes = 1024 * 1024;
    // How many of a turn's newest lines of each kind are offered to the lists: no more
    // than a list keeps.
    static constexpr int kNewestLines = 600;

    ReplyPath(Link &link, ParameterListing &listing, Prompter &prompter, const Clock &clock,
              QString logPath, QObject *parent = nullptr);

    void activateLog();
    void deactivateLog();
    bool logActive() const { return m_log.isOpen(); }
    qint64 logBytes() const { return m_log.bytesWritten(); }
    // A slice is queued or bytes wait on the link.
    bool reading() const;

Q_SIGNALS:
    // The newest complete lines of one turn, each kind in the order it arrived.
    void linesArrived(const std::vector<QByteArray> &trace,
                      const std::vector<QByteArray> &operation);
    // Text left without its line feed: shown after an idle second, or when the link
    // closes or starts anew, once everything before it is shown.
    void remainderArrived(const ReplyLine &rest);
    // After the slices of a turn (about 30 times a second while more of the stream waits), and
    // after each remainder: the lists show what came.
    void arrivalEnded();
    void logCaptionChanged(const QString &caption);

private:
    // The newest lines of one kind in a turn: at most kNewestLines, oldest first.
    class NewestLines {
    public:
        void add(QByteArray text);
        // Owned copies, oldest first; empties the ring.
        std::vector<QByteArray> take();
        bool isEmpty() const { return m_ring.empty(); }

    private:
        std::vector<QByteArray> m_ring;
        std::size_t m_next = 0; // the oldest once the ring is full
    };

    void line(const ReplyLineView &line) override;
    QByteArray keep(QByteArrayView text) const;
    void scheduleSlice();
    void readSlice();
    void readAllNow();
    // Reads the next slice into the turn's next buffer and processes it; false when nothing
    // waits.
    bool readNextSlice();
    void process(const QByteArray &slice);
    void flushPending();
    void updateLogStatus();
    void endOfArrival();
    void showArrived();
    void idleFlush();
    void log(QByteArrayView entry);
    void logFailed();

    Link &m_link;
    ParameterListing &m_listing;
    Prompter &m_prompter;
    const QString m_logPath;
    ReplyFramer m_framer;
    SessionLog m_log;
    ClockTimer m_idleFlush;
    // The buffers slices are read into, kept from turn to turn so a flood does not allocate
    // (and fault in) fresh memory for every slice. The first m_slicesInTurn hold the current
    // turn's slices: the newest lines point into them until the turn ends.
    std::vector<QByteArray> m_slices;
    std::size_t m_slicesInTurn = 0;
    QElapsedTimer m_sinceShown;
    qsizetype m_unshownBytes = 0; // in the lines handed to the lists since they last showed
    NewestLines m_newestTrace;
    NewestLines m_newestOperation;
    bool m_sliceQueued = false;
    bool m_closeSeen = false;
    bool m_logFailed = false;
};
