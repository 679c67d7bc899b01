#include "loggers/ui/ipportdialog.h"

#include "console/texts.h"
#include "loggers/loggerlist.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

IpPortDialog::IpPortDialog(const QString &host, const QString &port, QWidget *parent)
    : QDialog(parent), m_ip(new QLineEdit(host, this)), m_port(new QLineEdit(port, this)) {
    setObjectName(QStringLiteral("IP_Port"));
    setWindowTitle(texts::kAddressTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    // Topmost from the start: setting the hint after show() would hide it.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFixedSize(312, 206);

    auto *ipLabel = new QLabel(QStringLiteral("IP:"), this);
    ipLabel->setObjectName(QStringLiteral("Label1"));
    ipLabel->setGeometry(48, 48, 25, 25);
    m_ip->setObjectName(QStringLiteral("IP"));
    m_ip->setAccessibleName(QStringLiteral("IP address"));
    m_ip->setGeometry(88, 46, 105, 22);

    auto *portLabel = new QLabel(QStringLiteral("Port:"), this);
    portLabel->setObjectName(QStringLiteral("Label2"));
    portLabel->setGeometry(40, 88, 41, 25);
    m_port->setObjectName(QStringLiteral("Puerto"));
    m_port->setAccessibleName(QStringLiteral("Port"));
    m_port->setGeometry(88, 86, 57, 22);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Aceptar"));
    ok->setGeometry(56, 144, 65, 25);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancelar"));
    cancel->setGeometry(176, 144, 73, 25);

    // Bounded like the grid's cells, so a paste can never stall the window.
    m_ip->setMaxLength(LoggerList::kMaxFieldBytes);
    m_port->setMaxLength(LoggerList::kMaxFieldBytes);

    setTabOrder(m_ip, m_port);
    setTabOrder(m_port, ok);
    setTabOrder(ok, cancel);

    connect(ok, &QPushButton::clicked, this, [this] {
        Q_EMIT accepted(m_ip->text(), m_port->text());
        close();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}

QString IpPortDialog::host() const {
    return m_ip->text();
}

QString IpPortDialog::port() const {
    return m_port->text();
}
