#pragma once

#include "commands/catalogue.h"

#include <QObject>
#include <QPointer>

class Main;
class QDialog;
class QString;
class QByteArray;

// The operator's device commands: the fixed commands of the catalogue, all
// sent by one handler, the clock sync, and the dialogs that collect other
// commands' arguments. Dialogs hand back what was typed; frames are built
// and sent here.
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
    // Operator text as wire bytes; false (after telling the operator) when a
    // character has no byte in the code page.
    bool encode(const QString &text, QByteArray &bytes);

    Main &m_main;
    QPointer<QDialog> m_parameters;
    QPointer<QDialog> m_ftp;
    QPointer<QDialog> m_alarm;
    QPointer<QDialog> m_linux;
    QPointer<QDialog> m_historic;
};
