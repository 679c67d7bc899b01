#include "app/commandcontroller.h"

#include "base/ui/singlewindow.h"
#include "commands/ui/alarmdialog.h"
#include "commands/ui/ftpdialog.h"
#include "commands/ui/historicdialog.h"
#include "commands/ui/linuxcommanddialog.h"
#include "commands/ui/parameterdialog.h"
#include "console/console.h"
#include "loggers/listencoding.h"

CommandController::CommandController(Console &console, QWidget *dialogParent)
    : QObject(dialogParent), m_console(console), m_dialogParent(dialogParent) {}

bool CommandController::openForm(catalogue::Command command) {
    using C = catalogue::Command;
    switch (command) {
    case C::ModifyParameters:
        openParameters();
        return true;
    case C::RecApplication:
        openFtpSettings();
        return true;
    case C::TestAlarm:
        openTestAlarm();
        return true;
    case C::LinuxCommand:
        openLinuxCommand();
        return true;
    case C::HistoricCounter:
        openHistoricCounter();
        return true;
    default:
        return false;
    }
}

void CommandController::openParameters() {
    showSingle(m_parameters, [this] {
        auto *dialog = new ParameterDialog(m_console.parameterSlots(), m_dialogParent);
        // It stays open for further changes, whatever became of this one.
        connect(dialog, &ParameterDialog::submitted, this,
                [this](const QString &name, const QString &value) {
                    m_console.sendParameter(name, value);
                });
        return dialog;
    });
}

void CommandController::openFtpSettings() {
    showSingle(m_ftp, [this] {
        const FtpAccount &account = m_console.ftpAccount();
        auto *dialog =
            new FtpDialog(decodeListText(account.user, account.encoding),
                          decodeListText(account.password, account.encoding),
                          decodeListText(account.server, account.encoding), m_dialogParent);
        connect(dialog, &FtpDialog::submitted, this,
                [this, dialog](const QString &user, const QString &pass, const QString &server) {
                    if (m_console.sendFtpAccount(user, pass, server)) {
                        dialog->close();
                    }
                });
        return dialog;
    });
}

void CommandController::openTestAlarm() {
    showSingle(m_alarm, [this] {
        auto *dialog = new AlarmDialog(m_dialogParent);
        connect(dialog, &AlarmDialog::submitted, this,
                [this, dialog](const QString &id, const QString &code) {
                    if (m_console.sendTestAlarm(id, code)) {
                        dialog->close();
                    }
                });
        return dialog;
    });
}

void CommandController::openLinuxCommand() {
    showSingle(m_linux, [this] {
        auto *dialog = new LinuxCommandDialog(m_dialogParent);
        connect(dialog, &LinuxCommandDialog::submitted, this, [this, dialog](const QString &line) {
            if (m_console.sendLinuxCommand(line)) {
                dialog->close();
            }
        });
        return dialog;
    });
}

void CommandController::openHistoricCounter() {
    showSingle(m_historic, [this] {
        auto *dialog = new HistoricDialog(m_console.clock().nowLocal(), m_dialogParent);
        connect(dialog, &HistoricDialog::submitted, this,
                [this, dialog](const argumentchecks::HistoricBoxes &boxes) {
                    if (m_console.sendHistoric(boxes)) {
                        dialog->close();
                    }
                });
        return dialog;
    });
}
