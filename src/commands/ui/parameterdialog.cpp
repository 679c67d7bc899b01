#include "commands/ui/parameterdialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ParameterDialog::ParameterDialog(std::vector<std::pair<QString, QString>> snapshot, QWidget *parent)
    : QDialog(parent), m_slots(std::move(snapshot)), m_param(new QComboBox(this)),
      m_valor(new QLineEdit(this)) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("Dialog Caption"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_param->setObjectName(QStringLiteral("Param"));
    m_param->setAccessibleName(QStringLiteral("Parameter name"));
    m_param->setEditable(true);
    // What the operator types is what is sent: no inline completion that
    // lengthens a new name into a known one, and no typed name added to the
    // list, whose positions must keep matching the table's slots.
    m_param->setCompleter(nullptr);
    m_param->setInsertPolicy(QComboBox::NoInsert);
    // Only a pick from the list shows a stored value. By default the combo box
    // also "activates" a listed name that was typed, on Enter or on leaving
    // the field, which would overwrite a value the operator had typed and,
    // on Enter, send the stored one instead.
    disconnect(m_param->lineEdit(), &QLineEdit::editingFinished, m_param, nullptr);
    m_param->setFixedWidth(160);
    for (const auto &slot : m_slots) {
        m_param->addItem(slot.first);
    }
    // Adding the first item selects it; the name field starts empty.
    m_param->setCurrentIndex(-1);
    m_param->clearEditText();

    m_valor->setObjectName(QStringLiteral("Valor"));
    m_valor->setAccessibleName(QStringLiteral("Parameter value"));
    m_valor->setFixedWidth(280);

    auto *paramLabel = new QLabel(QStringLiteral("Parámeter:"), this);
    paramLabel->setBuddy(m_param);
    auto *valueLabel = new QLabel(QStringLiteral("Value"), this);
    valueLabel->setBuddy(m_valor);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto *exit = new QPushButton(QStringLiteral("Exit"), this);
    exit->setObjectName(QStringLiteral("CancelButton"));

    auto *rows = new QFormLayout;
    rows->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    rows->addRow(paramLabel, m_param);
    rows->addRow(valueLabel, m_valor);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addStretch();
    buttons->addWidget(exit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(rows);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_param, m_valor);
    setTabOrder(m_valor, ok);
    setTabOrder(ok, exit);

    connect(m_param, &QComboBox::activated, this, &ParameterDialog::showSlotValue);
    connect(ok, &QPushButton::clicked, this,
            [this] { Q_EMIT sendRequested(m_param->currentText(), m_valor->text()); });
    connect(exit, &QPushButton::clicked, this, &QDialog::close);
}

void ParameterDialog::showSlotValue(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < m_slots.size()) {
        m_valor->setText(m_slots[static_cast<std::size_t>(index)].second);
    }
}
