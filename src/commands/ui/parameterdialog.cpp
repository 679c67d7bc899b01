#include "commands/ui/parameterdialog.h"

#include "base/ui/dialogparts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ParameterDialog::ParameterDialog(std::vector<std::pair<QString, QString>> snapshot, QWidget *parent)
    : QDialog(parent), m_slots(std::move(snapshot)), m_param(new QComboBox(this)) {
    using namespace dialogparts;
    setUp(this, "Dialog", QStringLiteral("Dialog Caption"));

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

    m_value = box(this, "Valor", QStringLiteral("Parameter value"), 280);
    auto *ok = button(this, QStringLiteral("OK"), "OKButton", true);
    auto *exit = button(this, QStringLiteral("Exit"), "CancelButton");
    stack(this,
          form({{label(this, QStringLiteral("Parámeter:"), m_param), m_param},
                {label(this, QStringLiteral("Value"), m_value), m_value}}),
          buttonRow(ok, exit));
    tabOrder({m_param, m_value, ok, exit});

    connect(m_param, &QComboBox::activated, this, &ParameterDialog::showSlotValue);
    connect(ok, &QPushButton::clicked, this,
            [this] { Q_EMIT submitted(m_param->currentText(), m_value->text()); });
    connect(exit, &QPushButton::clicked, this, &QDialog::close);
}

void ParameterDialog::showSlotValue(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < m_slots.size()) {
        m_value->setText(m_slots[static_cast<std::size_t>(index)].second);
    }
}
