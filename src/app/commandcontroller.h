#pragma once

#include "commands/catalogue.h"

#include <QObject>
#include <QPointer>

class Console;
class QDialog;
class QWidget;

// The forms that collect a command's arguments: opens each (one of a kind, brought to the
// front when it is open) and hands what the operator typed to the console, which builds and
// sends the frame; a form the console has acted on is closed, one with a refused text stays
// open for the operator to correct it.
class CommandController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommandController)

public:
    // dialogParent: the window the forms belong to.
    CommandController(Console &console, QWidget *dialogParent);

    // Opens the form of a command that has one; false for any other command.
    bool openForm(catalogue::Command command);

private:
    void openParameters();
    void openFtpSettings();
    void openTestAlarm();
    void openLinuxCommand();
    void openHistoricCounter();

    Console &m_console;
    QWidget *m_dialogParent;
    QPointer<QDialog> m_parameters;
    QPointer<QDialog> m_ftp;
    QPointer<QDialog> m_alarm;
    QPointer<QDialog> m_linux;
    QPointer<QDialog> m_historic;
};
