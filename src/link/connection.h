#pragma once

#include "base/clock.h"
#include "base/texts.h"
#include "commands/catalogue.h"
#include "link/stepscheduler.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class Link;
class Prompter;

// The life of the link to one logger, as named sequences: Connect with its 30-second wait,
// Disconnect, the commands that make the logger restart, the close-down, the keep-alive and
// the reconnect countdown, and the not-connected path of every sender.
//
// Waits and pauses never block: they are steps of a scheduler, and every deadline is on the
// one clock. A command given while a step runs starts its own steps on top, and the
// interrupted ones go on when those end, as the operator's commands always have; while a box
// is on screen they all hold. The close-down drops them all.
class Connection final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Connection)

public:
    static constexpr qint64 kWaitTenths = 300;
    static constexpr qint64 kKeepAliveTenths = 600;
    static constexpr qint64 kCountdownStepTenths = 10;

    Connection(Link &link, Prompter &prompter, const Clock &clock, QObject *parent = nullptr);

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
    // Sends the (confirmed) command, holds the link for its pauses, closes it and counts down.
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

    bool isWaiting() const { return m_steps.waiting(); }
    bool isPausing() const { return m_steps.pausing(); }
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
    bool waitIsOver(qint64 elapsed);
    void finishWait(int row, int attempt);
    void finishDisconnect();
    void startCountdown(int seconds);
    void countdownTick();
    void keepAliveTick();
    void sayGoodbye();

    Link &m_link;
    Prompter &m_prompter;
    StepScheduler m_steps;
    ClockTimer m_keepAlive;
    ClockTimer m_countdown;
    int m_countdownLeft = 0;
    int m_attempt = 0; // numbers the connection attempts, so a late step closes only its own
    bool m_abortRequested = false;
    bool m_goodbyeSaid = false; // Disconnect's "TAV@02" is out and its pause runs
    bool m_keepAliveBoxOpen = false;
    bool m_closing = false;
    bool m_closedDown = false;
};
