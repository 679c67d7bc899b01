#include "commands/ui/historicdialog.h"

#include "base/ui/dialogparts.h"

#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

HistoricDialog::HistoricDialog(const QDateTime &localNow, QWidget *parent) : QDialog(parent) {
    using namespace dialogparts;
    setUp(this, "ContadorHistoricos", QStringLiteral("Datos históricos de Contador"), true);

    const QDate date = localNow.date();
    constexpr int kShort = 40;
    constexpr int kYear = 56;
    const auto numberBox = [this](const char *name, const QString &spokenName, int width,
                                  int value) {
        return box(this, name, spokenName, width, QString::number(value));
    };
    // The range starts at hour 0 of today and ends now.
    m_hour1 = numberBox("Hour1", QStringLiteral("Desde hora"), kShort, 0);
    m_day1 = numberBox("day1", QStringLiteral("Desde día"), kShort, date.day());
    m_month1 = numberBox("month1", QStringLiteral("Desde mes"), kShort, date.month());
    m_year1 = numberBox("year1", QStringLiteral("Desde año"), kYear, date.year());
    m_hour2 = numberBox("Hour2", QStringLiteral("Hasta hora"), kShort, localNow.time().hour());
    m_day2 = numberBox("day2", QStringLiteral("Hasta día"), kShort, date.day());
    m_month2 = numberBox("month2", QStringLiteral("Hasta mes"), kShort, date.month());
    m_year2 = numberBox("year2", QStringLiteral("Hasta año"), kYear, date.year());

    // Columns: row label, hour, day, "/", month, "/", year, then a stretch
    // that takes any width the hint below adds, so the boxes stay together.
    auto *grid = new QGridLayout;
    grid->setColumnStretch(7, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hora:"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Día:"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Mes:"), this), 0, 4);
    grid->addWidget(new QLabel(QStringLiteral("Año:"), this), 0, 6);
    const auto addRow = [this, grid](int row, const QString &caption, QLineEdit *hour,
                                     QLineEdit *day, QLineEdit *month, QLineEdit *year) {
        grid->addWidget(label(this, caption, hour), row, 0);
        grid->addWidget(hour, row, 1);
        grid->addWidget(day, row, 2);
        grid->addWidget(new QLabel(QStringLiteral("/"), this), row, 3);
        grid->addWidget(month, row, 4);
        grid->addWidget(new QLabel(QStringLiteral("/"), this), row, 5);
        grid->addWidget(year, row, 6);
    };
    addRow(1, QStringLiteral("Desde:"), m_hour1, m_day1, m_month1, m_year1);
    addRow(2, QStringLiteral("Hasta:"), m_hour2, m_day2, m_month2, m_year2);

    auto *accept = button(this, QStringLiteral("Aceptar"), "Aceptar", true);
    auto *cancel = button(this, QStringLiteral("Cancelar"), "Cancelar");

    auto *hint = new QLabel(QStringLiteral("Para días completos, en \"desde\" debe indicarse "
                                           "hora=1 del primer día y  en \"hasta\" hora=0 del "
                                           "día siguiente al último"),
                            this);
    hint->setObjectName(QStringLiteral("Para"));
    hint->setWordWrap(true);

    stack(this, grid, buttonRow(accept, cancel), hint);
    tabOrder(
        {m_hour1, m_day1, m_month1, m_year1, m_hour2, m_day2, m_month2, m_year2, accept, cancel});

    // The owner closes the form once it has acted on it, so a refused text can be corrected.
    connect(accept, &QPushButton::clicked, this, [this] {
        Q_EMIT submitted(argumentchecks::HistoricBoxes{
            m_hour1->text(), m_day1->text(), m_month1->text(), m_year1->text(), m_hour2->text(),
            m_day2->text(), m_month2->text(), m_year2->text()});
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}
