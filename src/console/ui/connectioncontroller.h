#pragma once

#include "console/texts.h"

#include <QByteArray>
#include <QObject>
#include <chrono>

class Main;

// The life of the link to one logger: connect with its 30-second wait,
// disconnect, close-down, the keep-alive and the reconnect countdown, and
// the one send path every command goes through.
class ConnectionController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConnectionController)

public:
    static constexpr qint64 kWaitTenths = 300;
    static constexpr qint64 kPauseTenths = 5;

    explicit ConnectionController(Main &main);

    // Menu commands.
    void connectToSelected();
    void disconnectLogger();
    void abortConnection();
    void maintainLink();
    // The window is about to close.
    void closeDown();

    void Open_Session();
    void Close_Session();
    void Short_Pause();
    void Start_Countdown(qint16 seconds);

    // Timer ticks.
    void keepAliveTick();
    void countdownTick();

    bool waiting() const { return m_waiting; }

    // What a sender does when the link is down.
    enum class WhenDown { ReportAndClose, Report };
    // Sends one frame on an open link. Otherwise shows `message` and, for
    // ReportAndClose, closes the client once the operator has closed the box.
    // True when the frame was handed to the link.
    bool send(const QByteArray &frame, const QString &message = texts::kNoConnection,
              WhenDown whenDown = WhenDown::ReportAndClose);
    // The not-connected path alone, for senders that must not build their frame without a link.
    void reportNoConnection(const QString &message = texts::kNoConnection,
                            WhenDown whenDown = WhenDown::ReportAndClose);

private:
    void errorPath(const QString &host, const QString &port);
    void waitForConnection();

    Main &m_main;
    bool m_waiting = false;
    bool m_closing = false;
    bool m_keepAliveBoxOpen = false;
};
