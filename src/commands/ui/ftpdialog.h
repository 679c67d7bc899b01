#pragma once

#include <QDialog>

class QLineEdit;

// The FTP account form of an application update: shows the list file's user,
// password and server, lets the operator change them for this one command and
// hands them back on "Accept". It never keeps them: closing discards the form
// and with it the password.
class FtpDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FtpDialog)

public:
    FtpDialog(const QString &user, const QString &pass, const QString &server,
              QWidget *parent = nullptr);

Q_SIGNALS:
    void submitted(const QString &user, const QString &pass, const QString &server);

private:
    QLineEdit *m_user;
    QLineEdit *m_pass;
    QLineEdit *m_server;
};
