#include "commands/ui/ftpdialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FtpDialog::FtpDialog(const QString &user, const QString &pass, const QString &server,
                     QWidget *parent)
    : QDialog(parent), m_user(new QLineEdit(user, this)), m_pass(new QLineEdit(pass, this)),
      m_server(new QLineEdit(server, this)) {
    setObjectName(QStringLiteral("FTPData"));
    setWindowTitle(QStringLiteral("FTP Server Data"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_user->setObjectName(QStringLiteral("ftpuser"));
    m_user->setAccessibleName(QStringLiteral("FTP user"));
    m_user->setFixedWidth(160);
    m_pass->setObjectName(QStringLiteral("ftppass"));
    m_pass->setAccessibleName(QStringLiteral("FTP password"));
    m_pass->setFixedWidth(160);
    m_pass->setEchoMode(QLineEdit::Password);
    // One '*' per character, as the operators know it, not the style's bullet.
    m_pass->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    m_server->setObjectName(QStringLiteral("ftpserver"));
    m_server->setAccessibleName(QStringLiteral("FTP server"));
    m_server->setFixedWidth(280);

    auto *userLabel = new QLabel(QStringLiteral("User:"), this);
    userLabel->setBuddy(m_user);
    auto *passLabel = new QLabel(QStringLiteral("Password:"), this);
    passLabel->setBuddy(m_pass);
    auto *serverLabel = new QLabel(QStringLiteral("Server:"), this);
    serverLabel->setBuddy(m_server);

    auto *accept = new QPushButton(QStringLiteral("Accept"), this);
    accept->setObjectName(QStringLiteral("FTPData_Accept"));
    accept->setDefault(true);

    auto *rows = new QFormLayout;
    rows->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    rows->addRow(userLabel, m_user);
    rows->addRow(passLabel, m_pass);
    rows->addRow(serverLabel, m_server);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(rows);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_user, m_pass);
    setTabOrder(m_pass, m_server);
    setTabOrder(m_server, accept);

    connect(accept, &QPushButton::clicked, this, [this] {
        Q_EMIT accepted(m_user->text(), m_pass->text(), m_server->text());
        close();
    });
}
