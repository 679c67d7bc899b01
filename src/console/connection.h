#pragma once

#include "commands/catalogue.h"
#include "console/texts.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <vector>

class Clock;
class Link;
class ParameterListing;
class Prompter;

// How often the connection looks at the clock while it waits, and its two timers.
struct LinkTimings {
    std::chrono::milliseconds tick{20};
    std::chrono::milliseconds keepAlive{60'000};
    std::chrono::milliseconds countdownStep{1'000};
};

// The life of the link to one logger: connect with its 30-second wait, disconnect,
// the commands that make the logger restart, the close-down, the keep-alive and the
// reconnect countdown, and the one send path every command goes through.
//
// Waits and pauses never block: each is a step advanced by a timer tick that reads
// the clock. A command given while a step runs starts its own steps on top, and the
// interrupted ones go on when those end, as the operator's commands always have; while
// a box is on screen they all hold, so the command that opened it finishes first. The
// close-down drops them all.
class Connection final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Connection)

public:
    static constexpr qint64 kWaitTenths = 300;
    static constexpr qint64 kPauseTenths = 5;

    Connection(Link &link, ParameterListing &listing, Prompter &prompter, const Clock &clock,
               LinkTimings timings = {}, QObject *parent = nullptr);

    // What Connect needs to know of the grid and the lists at the moment it is chosen.
    struct Request {
        int row = 0; // 0: no logger selected
        QString hostText;
        QString portText;
        bool traceListHasEntries = false;
    };
    void connectTo(const Request &request);
    void disconnectLogger();
    void abortConnection();
    // Another logger was picked: a connection still being waited for is no longer wanted.
    void selectionMoved();
    void maintainLink();
    // Asks, then sends the command, holds the link for its pauses, closes it and counts down.
    void restart(const catalogue::RestartCommand &command);
    // The window is about to close: goodbye, half a second, close; then closedDown().
    void closeDown();

    // What a sender does when the link is down.
    enum class WhenDown { ReportAndClose, Report };
    // Sends one frame on an open link. Otherwise shows `message` and, for
    // ReportAndClose, closes the client once the operator has closed the box.
    bool send(const QByteArray &frame, const QString &message = texts::kNoConnection,
              WhenDown whenDown = WhenDown::ReportAndClose);
    // The not-connected path alone, for senders that must not build their frame without a link.
    void reportNoConnection(const QString &message = texts::kNoConnection,
                            WhenDown whenDown = WhenDown::ReportAndClose);

    bool isWaiting() const;
    bool isPausing() const;
    bool isClosedDown() const { return m_closedDown; }
    bool keepAliveOn() const { return m_keepAlive.isActive(); }
    int countdownLeft() const { return m_countdownLeft; }

Q_SIGNALS:
    void clearListsRequested();
    void waitStarted();
    void waitProgress(int percent);
    void waitEnded();
    void countdownShown(const QString &caption);
    void countdownChanged(const QString &caption);
    void countdownHidden();
    void rowConnected(int row);
    // Disconnect has run; wasConnected: it closed a link that was open until then.
    void disconnected(bool wasConnected);
    // A restart command closed the link.
    void restarted();
    void keepAliveSwitched(bool on);
    void closedDown();

private:
    // One wait or run of half-second pauses; `then` runs when it ends.
    struct Step {
        enum class Kind { Wait, Pause } kind;
        qint64 start;
        int pausesLeft;
        std::function<void()> then;
    };

    void push(Step::Kind kind, int pauses, std::function<void()> then);
    void tick();
    bool stepEnded(Step &step, qint64 now);
    void finishWait(int row, int attempt);
    void finishDisconnect();
    void startCountdown(int seconds);
    void countdownTick();
    void keepAliveTick();
    void openSession();
    void closeSession();

    Link &m_link;
    ParameterListing &m_listing;
    Prompter &m_prompter;
    const Clock &m_clock;
    QTimer m_tick;
    QTimer m_keepAlive;
    QTimer m_countdown;
    std::vector<Step> m_steps;
    int m_countdownLeft = 0;
    int m_attempt = 0; // numbers the connection attempts, so a late step closes only its own
    bool m_abortRequested = false;
    bool m_goodbyeSaid = false; // Disconnect's "TAV@02" is out and its pause runs
    bool m_keepAliveBoxOpen = false;
    bool m_closing = false;
    bool m_closedDown = false;
};
