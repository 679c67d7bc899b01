#pragma once

#include "commands/catalogue.h"

#include <QObject>
#include <QPointer>

class Main;
class QWidget;

// The operator's device commands: the fixed commands of the catalogue, all
// sent by one handler, and the dialogs that collect other commands' arguments.
class CommandController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommandController)

public:
    explicit CommandController(Main &main);

    void sendFixed(const catalogue::FixedCommand &command);
    void syncWithPc();
    void openParameters();
    void openFtpSettings();
    void openTestAlarm();
    void openLinuxCommand();
    void openHistoricCounter();

private:
    Main &m_main;
};
