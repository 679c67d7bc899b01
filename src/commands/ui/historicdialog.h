#pragma once

#include "commands/argumentchecks.h"

#include <QDialog>

class QDateTime;
class QLineEdit;

// The historic-counter form: a from and a to time (hour, day, month, year),
// preset from the local time it is opened at, handed back as typed on
// "Aceptar"; checking them and building the frame is its owner's work. Stays
// above all other windows.
class HistoricDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoricDialog)

public:
    explicit HistoricDialog(const QDateTime &localNow, QWidget *parent = nullptr);

Q_SIGNALS:
    void submitted(const argumentchecks::HistoricBoxes &boxes);

private:
    QLineEdit *m_hour1;
    QLineEdit *m_day1;
    QLineEdit *m_month1;
    QLineEdit *m_year1;
    QLineEdit *m_hour2;
    QLineEdit *m_day2;
    QLineEdit *m_month2;
    QLineEdit *m_year2;
};
