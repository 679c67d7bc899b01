#pragma once

#include <QDialog>

class QLineEdit;

// The Linux command form: collects one command line for the logger and hands
// it back on "OK" exactly as typed. Stays above all other windows.
class LinuxCommandDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinuxCommandDialog)

public:
    explicit LinuxCommandDialog(QWidget *parent = nullptr);

Q_SIGNALS:
    void submitted(const QString &line);

private:
    QLineEdit *m_command;
};
