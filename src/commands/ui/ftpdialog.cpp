#include "commands/ui/ftpdialog.h"

#include "base/ui/dialogparts.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FtpDialog::FtpDialog(const QString &user, const QString &pass, const QString &server,
                     QWidget *parent)
    : QDialog(parent) {
    using namespace dialogparts;
    setUp(this, "FTPData", QStringLiteral("FTP Server Data"));
    m_user = box(this, "ftpuser", QStringLiteral("FTP user"), 160, user);
    m_pass = box(this, "ftppass", QStringLiteral("FTP password"), 160, pass);
    m_pass->setEchoMode(QLineEdit::Password);
    // One '*' per character, as the operators know it, not the style's bullet.
    m_pass->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    m_server = box(this, "ftpserver", QStringLiteral("FTP server"), 280, server);
    auto *accept = button(this, QStringLiteral("Accept"), "FTPData_Accept", true);
    stack(this,
          form({{label(this, QStringLiteral("User:"), m_user), m_user},
                {label(this, QStringLiteral("Password:"), m_pass), m_pass},
                {label(this, QStringLiteral("Server:"), m_server), m_server}}),
          buttonRow(nullptr, accept));
    tabOrder({m_user, m_pass, m_server, accept});

    // The owner closes the form once it has acted on it, so a refused text can be corrected.
    connect(accept, &QPushButton::clicked, this,
            [this] { Q_EMIT submitted(m_user->text(), m_pass->text(), m_server->text()); });
}
