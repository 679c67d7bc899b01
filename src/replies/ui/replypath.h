#pragma once

#include <QObject>

class Main;

// Everything the logger sends: framing into the trace and operation lists,
// the session log and its status, the display switch, and the commands that
// end the link (update and reboot).
class ReplyPath final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplyPath)

public:
    explicit ReplyPath(Main &main);

    void displayClicked();
    void activateLog();
    void deactivateLog();
    void clearTrace();
    void clearOperation();
    void updateApplication();
    void localUpdate();
    void reboot();

private:
    Main &m_main;
};
