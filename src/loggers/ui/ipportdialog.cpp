#include "loggers/ui/ipportdialog.h"

#include "base/texts.h"
#include "base/ui/fit.h"
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

    auto *ipLabel = new QLabel(QStringLiteral("IP:"), this);
    ipLabel->setObjectName(QStringLiteral("Label1"));
    fit::place(ipLabel, {48, 48, 25, 25});
    m_ip->setObjectName(QStringLiteral("IP"));
    m_ip->setAccessibleName(QStringLiteral("IP address"));
    fit::place(m_ip, {88, 46, 105, 22});

    auto *portLabel = new QLabel(QStringLiteral("Port:"), this);
    portLabel->setObjectName(QStringLiteral("Label2"));
    fit::place(portLabel, {40, 88, 41, 25});
    m_port->setObjectName(QStringLiteral("Puerto"));
    m_port->setAccessibleName(QStringLiteral("Port"));
    fit::place(m_port, {88, 86, 57, 22});

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Aceptar"));
    fit::place(ok, {56, 144, 65, 25});
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancelar"));
    fit::place(cancel, {176, 144, 73, 25});

    // Bounded like the grid's cells, so a paste can never stall the window.
    m_ip->setMaxLength(LoggerList::kMaxFieldBytes);
    m_port->setMaxLength(LoggerList::kMaxFieldBytes);

    // The reference size, or what the controls grown with a larger font need.
    QRect used;
    for (const QWidget *child : findChildren<QWidget *>()) {
        used |= child->geometry();
    }
    setFixedSize(std::max(312, used.right() + 40), std::max(206, used.bottom() + 36));

    setTabOrder(m_ip, m_port);
    setTabOrder(m_port, ok);
    setTabOrder(ok, cancel);

    connect(ok, &QPushButton::clicked, this, [this] {
        Q_EMIT submitted(m_ip->text(), m_port->text());
        close();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}
