#include "commands/ui/alarmdialog.h"

#include "base/ui/dialogparts.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

AlarmDialog::AlarmDialog(QWidget *parent) : QDialog(parent) {
    using namespace dialogparts;
    setUp(this, "AlarmDialog", QStringLiteral("Alarm"));
    m_id = box(this, "Id_alarm", QStringLiteral("Alarm id"), 120);
    m_code = box(this, "Cod_alarm", QStringLiteral("Alarm code"), 120);
    auto *ok = button(this, QStringLiteral("OK"), "OKButton", true);
    auto *cancel = button(this, QStringLiteral("Cancel"), "CancelButton");
    stack(this,
          form({{label(this, QStringLiteral("Id:"), m_id), m_id},
                {label(this, QStringLiteral("Alarm:"), m_code), m_code}}),
          buttonRow(ok, cancel));
    tabOrder({m_id, m_code, ok, cancel});

    // The owner closes the form once it has acted on it, so a refused text can be corrected.
    connect(ok, &QPushButton::clicked, this,
            [this] { Q_EMIT submitted(m_id->text(), m_code->text()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}
