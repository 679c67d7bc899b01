#include "commands/ui/commandcontroller.h"

#include "commands/argumentchecks.h"
#include "commands/frames.h"
#include "commands/parameterlisting.h"
#include "commands/ui/alarmdialog.h"
#include "commands/ui/ftpdialog.h"
#include "commands/ui/historicdialog.h"
#include "commands/ui/linuxcommanddialog.h"
#include "commands/ui/parameterdialog.h"
#include "commands/utctime.h"
#include "console/clock.h"
#include "console/connection.h"
#include "console/link.h"
#include "console/prompter.h"
#include "console/text8.h"
#include "console/texts.h"
#include "console/ui/singlewindow.h"
#include "loggers/listencoding.h"

CommandController::CommandController(Connection &connection, Link &link, ParameterListing &listing,
                                     Prompter &prompter, const Clock &clock, QWidget *dialogParent)
    : QObject(dialogParent), m_connection(connection), m_link(link), m_listing(listing),
      m_prompter(prompter), m_clock(clock), m_dialogParent(dialogParent) {}

void CommandController::sendFixed(catalogue::Command command) {
    const catalogue::FixedCommand &fixed = catalogue::fixedCommand(command);
    switch (fixed.listing) {
    case catalogue::ListingEffect::End:
        m_listing.end();
        break;
    case catalogue::ListingEffect::Begin:
        m_listing.begin();
        break;
    case catalogue::ListingEffect::Keep:
        break;
    }
    m_connection.send(frames::command(fixed.code));
}

void CommandController::syncWithPc() {
    m_listing.end();
    if (!m_link.isConnected()) {
        m_connection.reportNoConnection();
        return;
    }
    // One reading of the clock, so the six fields belong to the same instant.
    const auto frame = frames::clockSync(GetUTCTime(m_clock));
    if (!frame) {
        m_prompter.inform(texts::kClockOutOfRange, Prompter::Icon::Warning);
        return;
    }
    m_link.send(*frame);
}

bool CommandController::encode(const QString &text, QByteArray &bytes) {
    const text8::Encoded encoded = text8::fromDisplay(text);
    if (!encoded.ok()) {
        m_prompter.inform(texts::unmappable(*encoded.unmappable), Prompter::Icon::Warning);
        return false;
    }
    bytes = encoded.bytes;
    return true;
}

bool CommandController::refused(const argumentchecks::FrameCheck &check) {
    if (check.ok()) {
        return false;
    }
    m_prompter.inform(check.error, Prompter::Icon::Warning);
    return true;
}

void CommandController::openParameters() {
    m_listing.end();
    showSingle(m_parameters, [this] {
        // A snapshot: one entry more than collected, the slot the next line would fill.
        const ParameterTable &table = m_listing.table();
        std::vector<std::pair<QString, QString>> slots;
        for (int i = 0; i <= table.count(); ++i) {
            slots.emplace_back(text8::toDisplay(table.name(i)), text8::toDisplay(table.value(i)));
        }
        auto *dialog = new ParameterDialog(std::move(slots), m_dialogParent);
        connect(dialog, &ParameterDialog::sendRequested, this,
                [this](const QString &name, const QString &value) {
                    QByteArray nameBytes;
                    QByteArray valueBytes;
                    if (!encode(name, nameBytes) || !encode(value, valueBytes)) {
                        return;
                    }
                    const auto check = argumentchecks::checkParameter(nameBytes, valueBytes);
                    if (refused(check)) {
                        return;
                    }
                    m_connection.send(check.frame, texts::kNoConnectionParam,
                                      Connection::WhenDown::Report);
                });
        return dialog;
    });
}

void CommandController::openFtpSettings() {
    showSingle(m_ftp, [this] {
        const ListEncoding encoding = m_ftpAccount.encoding;
        auto *dialog = new FtpDialog(decodeListText(m_ftpAccount.user, encoding),
                                     decodeListText(m_ftpAccount.password, encoding),
                                     decodeListText(m_ftpAccount.server, encoding), m_dialogParent);
        connect(dialog, &FtpDialog::accepted, this,
                [this, dialog](const QString &user, const QString &pass, const QString &server) {
                    QByteArray u;
                    QByteArray p;
                    QByteArray s;
                    if (!encode(user, u) || !encode(pass, p) || !encode(server, s)) {
                        return; // open, with what was typed, for the operator to correct
                    }
                    auto check = argumentchecks::checkFtpAccount(u, p, s);
                    p.fill('\0');
                    if (refused(check)) {
                        return;
                    }
                    m_connection.send(check.frame);
                    // The password is not kept once it has gone out.
                    check.frame.fill('\0');
                    dialog->close();
                });
        return dialog;
    });
}

void CommandController::openTestAlarm() {
    showSingle(m_alarm, [this] {
        auto *dialog = new AlarmDialog(m_dialogParent);
        connect(dialog, &AlarmDialog::okRequested, this,
                [this, dialog](const QString &id, const QString &code) {
                    const auto check = argumentchecks::checkAlarm(id, code);
                    if (!check.ok()) {
                        m_prompter.inform(check.error);
                    } else {
                        m_connection.send(
                            frames::testAlarm(check.id.toLatin1(), check.code.toLatin1()),
                            texts::kNoConnection, Connection::WhenDown::Report);
                    }
                    dialog->close();
                });
        return dialog;
    });
}

void CommandController::openLinuxCommand() {
    showSingle(m_linux, [this] {
        auto *dialog = new LinuxCommandDialog(m_dialogParent);
        connect(dialog, &LinuxCommandDialog::commandRequested, this,
                [this, dialog](const QString &line) {
                    QByteArray bytes;
                    if (!encode(line, bytes)) {
                        return; // open, with what was typed, for the operator to correct
                    }
                    const auto check = argumentchecks::checkLinuxCommand(bytes);
                    if (refused(check)) {
                        return;
                    }
                    m_connection.send(check.frame, texts::kNoConnectionLinux,
                                      Connection::WhenDown::Report);
                    dialog->close();
                });
        return dialog;
    });
}

void CommandController::openHistoricCounter() {
    showSingle(m_historic, [this] {
        auto *dialog = new HistoricDialog(m_clock.nowLocal(), m_dialogParent);
        connect(dialog, &HistoricDialog::accepted, this,
                [this, dialog](const argumentchecks::HistoricBoxes &boxes) {
                    const auto check = argumentchecks::checkHistoric(boxes);
                    if (!check.ok()) {
                        m_prompter.inform(check.error);
                    } else {
                        m_connection.send(frames::historic(check.from, check.to),
                                          texts::kNoConnectionHistoric,
                                          Connection::WhenDown::Report);
                    }
                    dialog->close();
                });
        return dialog;
    });
}
