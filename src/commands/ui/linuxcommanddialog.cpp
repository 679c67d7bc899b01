#include "commands/ui/linuxcommanddialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

LinuxCommandDialog::LinuxCommandDialog(QWidget *parent)
    : QDialog(parent), m_command(new QLineEdit(this)) {
    setObjectName(QStringLiteral("Comando_Linux"));
    setWindowTitle(QStringLiteral("Comand"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Topmost from the start: setting the hint after show() would hide it.
    setWindowFlag(Qt::WindowStaysOnTopHint);

    m_command->setObjectName(QStringLiteral("Comand"));
    m_command->setAccessibleName(QStringLiteral("Linux command"));
    m_command->setFixedWidth(360);

    auto *label = new QLabel(QStringLiteral("Comand:"), this);
    label->setBuddy(m_command);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_command);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_command, ok);
    setTabOrder(ok, cancel);

    connect(ok, &QPushButton::clicked, this, [this] {
        Q_EMIT commandRequested(m_command->text());
        close();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}
