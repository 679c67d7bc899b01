#include "commands/ui/historicdialog.h"

#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *numberBox(const char *name, const QString &accessibleName, int width, int value,
                     QWidget *parent) {
    auto *box = new QLineEdit(QString::number(value), parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessibleName);
    box->setFixedWidth(width);
    return box;
}

} // namespace

HistoricDialog::HistoricDialog(const QDateTime &localNow, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ContadorHistoricos"));
    setWindowTitle(QStringLiteral("Datos históricos de Contador"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Topmost from the start: setting the hint after show() would hide it.
    setWindowFlag(Qt::WindowStaysOnTopHint);

    const QDate date = localNow.date();
    constexpr int kShort = 40;
    constexpr int kYear = 56;
    // The range starts at hour 0 of today and ends now.
    m_hour1 = numberBox("Hour1", QStringLiteral("Desde hora"), kShort, 0, this);
    m_day1 = numberBox("day1", QStringLiteral("Desde día"), kShort, date.day(), this);
    m_month1 = numberBox("month1", QStringLiteral("Desde mes"), kShort, date.month(), this);
    m_year1 = numberBox("year1", QStringLiteral("Desde año"), kYear, date.year(), this);
    m_hour2 =
        numberBox("Hour2", QStringLiteral("Hasta hora"), kShort, localNow.time().hour(), this);
    m_day2 = numberBox("day2", QStringLiteral("Hasta día"), kShort, date.day(), this);
    m_month2 = numberBox("month2", QStringLiteral("Hasta mes"), kShort, date.month(), this);
    m_year2 = numberBox("year2", QStringLiteral("Hasta año"), kYear, date.year(), this);

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
        auto *label = new QLabel(caption, this);
        label->setBuddy(hour);
        grid->addWidget(label, row, 0);
        grid->addWidget(hour, row, 1);
        grid->addWidget(day, row, 2);
        grid->addWidget(new QLabel(QStringLiteral("/"), this), row, 3);
        grid->addWidget(month, row, 4);
        grid->addWidget(new QLabel(QStringLiteral("/"), this), row, 5);
        grid->addWidget(year, row, 6);
    };
    addRow(1, QStringLiteral("Desde:"), m_hour1, m_day1, m_month1, m_year1);
    addRow(2, QStringLiteral("Hasta:"), m_hour2, m_day2, m_month2, m_year2);

    auto *accept = new QPushButton(QStringLiteral("Aceptar"), this);
    accept->setObjectName(QStringLiteral("Aceptar"));
    accept->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancelar"), this);
    cancel->setObjectName(QStringLiteral("Cancelar"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(accept);
    buttons->addStretch();
    buttons->addWidget(cancel);

    auto *hint = new QLabel(QStringLiteral("Para días completos, en \"desde\" debe indicarse "
                                           "hora=1 del primer día y  en \"hasta\" hora=0 del "
                                           "día siguiente al último"),
                            this);
    hint->setObjectName(QStringLiteral("Para"));
    hint->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->addWidget(hint);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_hour1, m_day1);
    setTabOrder(m_day1, m_month1);
    setTabOrder(m_month1, m_year1);
    setTabOrder(m_year1, m_hour2);
    setTabOrder(m_hour2, m_day2);
    setTabOrder(m_day2, m_month2);
    setTabOrder(m_month2, m_year2);
    setTabOrder(m_year2, accept);
    setTabOrder(accept, cancel);

    connect(accept, &QPushButton::clicked, this, [this] {
        Q_EMIT accepted(argumentchecks::HistoricBoxes{
            m_hour1->text(), m_day1->text(), m_month1->text(), m_year1->text(), m_hour2->text(),
            m_day2->text(), m_month2->text(), m_year2->text()});
        close();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}
