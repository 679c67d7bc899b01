#include "commands/ui/commandcontroller.h"

#include "commands/argumentchecks.h"
#include "commands/frames.h"
#include "commands/ui/alarmdialog.h"
#include "commands/ui/ftpdialog.h"
#include "commands/ui/historicdialog.h"
#include "commands/ui/linuxcommanddialog.h"
#include "commands/ui/parameterdialog.h"
#include "commands/utctime.h"
#include "console/clock.h"
#include "console/link.h"
#include "console/prompter.h"
#include "console/text8.h"
#include "console/texts.h"
#include "console/ui/connectioncontroller.h"
#include "console/ui/mainwindow.h"
#include "console/ui/singlewindow.h"

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

void CommandController::syncWithPc() {
    m_main.state().sw_option = 0;
    if (!m_main.link().isConnected()) {
        m_main.connection().reportNoConnection();
        return;
    }
    // One reading of the clock, so the six fields belong to the same instant.
    const auto frame = frames::clockSync(GetUTCTime(m_main.clock()));
    if (!frame) {
        m_main.prompter().inform(texts::kClockOutOfRange, Prompter::Icon::Warning);
        return;
    }
    m_main.link().send(*frame);
}

bool CommandController::encode(const QString &text, QByteArray &bytes) {
    const text8::Encoded encoded = text8::fromDisplay(text);
    if (!encoded.ok()) {
        m_main.prompter().inform(texts::unmappable(*encoded.unmappable), Prompter::Icon::Warning);
        return false;
    }
    bytes = encoded.bytes;
    return true;
}

void CommandController::openParameters() {
    m_main.state().sw_option = 0;
    showSingle(m_parameters, [this] {
        // A snapshot: one entry more than collected, the slot the next line would fill.
        const ParameterTable &table = m_main.params();
        std::vector<std::pair<QString, QString>> slots;
        for (int i = 0; i <= table.count(); ++i) {
            slots.emplace_back(text8::toDisplay(table.name(i)), text8::toDisplay(table.value(i)));
        }
        auto *dialog = new ParameterDialog(std::move(slots), &m_main);
        connect(dialog, &ParameterDialog::sendRequested, this,
                [this](const QString &name, const QString &value) {
                    QByteArray nameBytes;
                    QByteArray valueBytes;
                    if (encode(name, nameBytes) && encode(value, valueBytes)) {
                        m_main.connection().send(frames::parameter(nameBytes, valueBytes),
                                                 texts::kNoConnectionParam,
                                                 ConnectionController::WhenDown::Report);
                    }
                });
        return dialog;
    });
}

void CommandController::openFtpSettings() {
    showSingle(m_ftp, [this] {
        const ConsoleState &state = m_main.state();
        auto *dialog =
            new FtpDialog(text8::toDisplay(state.ftp_user), text8::toDisplay(state.ftp_pass),
                          text8::toDisplay(state.ftp_server), &m_main);
        connect(dialog, &FtpDialog::accepted, this,
                [this, dialog](const QString &user, const QString &pass, const QString &server) {
                    QByteArray u;
                    QByteArray p;
                    QByteArray s;
                    if (!encode(user, u) || !encode(pass, p) || !encode(server, s)) {
                        return; // open, with what was typed, for the operator to correct
                    }
                    QByteArray frame = frames::ftpAccount(u, p, s);
                    m_main.connection().send(frame);
                    // The password is not kept once it has gone out.
                    frame.fill('\0');
                    p.fill('\0');
                    dialog->close();
                });
        return dialog;
    });
}

void CommandController::openTestAlarm() {
    showSingle(m_alarm, [this] {
        auto *dialog = new AlarmDialog(&m_main);
        connect(dialog, &AlarmDialog::okRequested, this,
                [this, dialog](const QString &id, const QString &code) {
                    const auto check = argumentchecks::checkAlarm(id, code);
                    if (!check.ok()) {
                        m_main.prompter().inform(check.error);
                    } else {
                        m_main.connection().send(
                            frames::testAlarm(check.id.toLatin1(), check.code.toLatin1()),
                            texts::kNoConnection, ConnectionController::WhenDown::Report);
                    }
                    dialog->close();
                });
        return dialog;
    });
}

void CommandController::openLinuxCommand() {
    showSingle(m_linux, [this] {
        auto *dialog = new LinuxCommandDialog(&m_main);
        connect(dialog, &LinuxCommandDialog::commandRequested, this,
                [this, dialog](const QString &line) {
                    QByteArray bytes;
                    if (!encode(line, bytes)) {
                        return; // open, with what was typed, for the operator to correct
                    }
                    m_main.connection().send(frames::linuxCommand(bytes), texts::kNoConnectionLinux,
                                             ConnectionController::WhenDown::Report);
                    dialog->close();
                });
        return dialog;
    });
}

void CommandController::openHistoricCounter() {
    showSingle(m_historic, [this] {
        auto *dialog = new HistoricDialog(m_main.clock().nowLocal(), &m_main);
        connect(dialog, &HistoricDialog::accepted, this,
                [this, dialog](const argumentchecks::HistoricBoxes &boxes) {
                    const auto check = argumentchecks::checkHistoric(boxes);
                    if (!check.ok()) {
                        m_main.prompter().inform(check.error);
                    } else {
                        m_main.connection().send(frames::historic(check.from, check.to),
                                                 texts::kNoConnectionHistoric,
                                                 ConnectionController::WhenDown::Report);
                    }
                    dialog->close();
                });
        return dialog;
    });
}
