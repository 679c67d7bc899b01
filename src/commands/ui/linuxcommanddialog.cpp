#include "commands/ui/linuxcommanddialog.h"

#include "base/ui/dialogparts.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

LinuxCommandDialog::LinuxCommandDialog(QWidget *parent) : QDialog(parent) {
    using namespace dialogparts;
    setUp(this, "Comando_Linux", QStringLiteral("Comand"), true);
    m_command = box(this, "Comand", QStringLiteral("Linux command"), 360);
    auto *ok = button(this, QStringLiteral("OK"), "OKButton", true);
    auto *cancel = button(this, QStringLiteral("Cancel"), "CancelButton");
    stack(this, form({{label(this, QStringLiteral("Comand:"), m_command), m_command}}),
          buttonRow(ok, cancel));
    tabOrder({m_command, ok, cancel});

    // The owner closes the form once it has acted on it, so a refused text can be corrected.
    connect(ok, &QPushButton::clicked, this, [this] { Q_EMIT submitted(m_command->text()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}
