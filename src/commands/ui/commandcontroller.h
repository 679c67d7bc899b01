#pragma once

#include "commands/argumentchecks.h"
#include "commands/catalogue.h"
#include "loggers/loggerlist.h"

#include <QObject>
#include <QPointer>

class Clock;
class Connection;
class Link;
class ParameterListing;
class Prompter;
class QByteArray;
class QDialog;
class QString;
class QWidget;

// The operator's device commands: the fixed commands of the catalogue, all sent by one
// handler, the clock sync, and the dialogs that collect other commands' arguments.
// Dialogs hand back what was typed; frames are built and sent here.
class CommandController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommandController)

public:
    // dialogParent: the window the dialogs belong to.
    CommandController(Connection &connection, Link &link, ParameterListing &listing,
                      Prompter &prompter, const Clock &clock, QWidget *dialogParent);

    // The account the FTP settings form starts from.
    void setFtpAccount(const FtpAccount &account) { m_ftpAccount = account; }
    const FtpAccount &ftpAccount() const { return m_ftpAccount; }

    void sendFixed(catalogue::Command command);
    void syncWithPc();
    void openParameters();
    void openFtpSettings();
    void openTestAlarm();
    void openLinuxCommand();
    void openHistoricCounter();

private:
    // Operator text as wire bytes; false (after telling the operator) when a
    // character has no byte in the code page.
    bool encode(const QString &text, QByteArray &bytes);
    // True (after telling the operator) when the frame was refused; the form stays open.
    bool refused(const argumentchecks::FrameCheck &check);

    Connection &m_connection;
    Link &m_link;
    ParameterListing &m_listing;
    Prompter &m_prompter;
    const Clock &m_clock;
    QWidget *m_dialogParent;
    FtpAccount m_ftpAccount;
    QPointer<QDialog> m_parameters;
    QPointer<QDialog> m_ftp;
    QPointer<QDialog> m_alarm;
    QPointer<QDialog> m_linux;
    QPointer<QDialog> m_historic;
};
