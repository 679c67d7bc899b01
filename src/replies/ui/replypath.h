#pragma once

#include "replies/replyframer.h"
#include "replies/sessionlog.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class Main;
class QListWidget;

// Everything the logger sends: framing into the trace and operation lists,
// the session log and its status, the display switch, and the commands that
// make the logger restart and so end the link (update and reboot).
class ReplyPath final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplyPath)

public:
    static constexpr int kListLimit = 600;
    static constexpr int kRemainderLimit = 300;
    static constexpr double kLogLimit = 10'000'000;
    static constexpr int kIdleFlushMs = 1000;
    static constexpr qint64 kPumpEveryMs = 10;
    static constexpr qsizetype kShownChars = 4000;
    static constexpr qint64 kSliceBytes = 64 * 1024;

    // An entry as the list shows it: long ones are cut, with a note of what is left out.
    static QString shownText(const QByteArray &text);

    explicit ReplyPath(Main &main);

    // Reads and shows everything that has arrived on the link.
    void readArrivals();
    // Shows text still waiting for its line feed (idle second, link closed or renewed).
    void flushPending();

    void displayClicked();
    void activateLog();
    void deactivateLog();
    void clearTrace();
    void clearOperation();

    void updateApplication();
    void localUpdate();
    void reboot();

private:
    struct Restart {
        const QString &firstLine;
        const QString &secondLine;
        int code;
        int pauses;
        qint16 countdown;
        bool alsoWithoutConnection;
    };

    QByteArray nextSlice();
    void process(const QByteArray &arrival);
    void emitLine(const ReplyLine &line);
    void emitRemainder(const ReplyLine &rest);
    void show(QListWidget &list, const QByteArray &text, int limit);
    void log(const QByteArray &entry);
    void endOfArrival();
    void logFailed();
    void restart(const Restart &command);

    Main &m_main;
    ReplyFramer m_framer;
    SessionLog m_log;
    QTimer m_idleFlush;
    QElapsedTimer m_sincePump;
    QByteArray m_held;
    qsizetype m_heldAt = 0;
    bool m_reading = false;
    bool m_closeSeen = false;
    bool m_logFailed = false;
};
