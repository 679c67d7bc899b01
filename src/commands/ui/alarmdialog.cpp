#include "commands/ui/alarmdialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AlarmDialog::AlarmDialog(QWidget *parent)
    : QDialog(parent), m_id(new QLineEdit(this)), m_code(new QLineEdit(this)) {
    setObjectName(QStringLiteral("AlarmDialog"));
    setWindowTitle(QStringLiteral("Alarm"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_id->setObjectName(QStringLiteral("Id_alarm"));
    m_id->setAccessibleName(QStringLiteral("Alarm id"));
    m_id->setFixedWidth(120);
    m_code->setObjectName(QStringLiteral("Cod_alarm"));
    m_code->setAccessibleName(QStringLiteral("Alarm code"));
    m_code->setFixedWidth(120);

    auto *idLabel = new QLabel(QStringLiteral("Id:"), this);
    idLabel->setBuddy(m_id);
    auto *codeLabel = new QLabel(QStringLiteral("Alarm:"), this);
    codeLabel->setBuddy(m_code);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto *rows = new QFormLayout;
    rows->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    rows->addRow(idLabel, m_id);
    rows->addRow(codeLabel, m_code);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(rows);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_id, m_code);
    setTabOrder(m_code, ok);
    setTabOrder(ok, cancel);

    connect(ok, &QPushButton::clicked, this, [this] {
        Q_EMIT okRequested(m_id->text(), m_code->text());
        close();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}
