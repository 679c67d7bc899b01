#include "commands/ui/commandcontroller.h"

#include "commands/frames.h"
#include "console/ui/connectioncontroller.h"
#include "console/ui/mainwindow.h"

CommandController::CommandController(Main &main) : QObject(&main), m_main(main) {}

void CommandController::sendFixed(const catalogue::FixedCommand &command) {
    ConsoleState &state = m_main.state();
    switch (command.option) {
    case catalogue::ReplyOption::Reset:
        state.sw_option = 0;
        break;
    case catalogue::ReplyOption::Listing:
        state.sw_option = 1;
        m_main.params().restart();
        break;
    case catalogue::ReplyOption::Keep:
        break;
    }
    m_main.connection().send(frames::command(command.code));
}

void CommandController::syncWithPc() {}
void CommandController::openParameters() {}
void CommandController::openFtpSettings() {}
void CommandController::openTestAlarm() {}
void CommandController::openLinuxCommand() {}
void CommandController::openHistoricCounter() {}
