#pragma once

#include <QDialog>
#include <QString>

#include <utility>
#include <vector>

class QComboBox;
class QLineEdit;

// The parameter edit form. It offers the names of a snapshot of the parameter
// table, shows the stored value of the name the operator picks, and hands the
// name and value to send back to its owner on "OK"; it stays open for further
// changes until "Exit".
class ParameterDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ParameterDialog)

public:
    // snapshot: (name, value) of every table slot from 0 up to and including
    // the slot the next collected line would fill, in slot order.
    explicit ParameterDialog(std::vector<std::pair<QString, QString>> snapshot,
                             QWidget *parent = nullptr);

Q_SIGNALS:
    void submitted(const QString &name, const QString &value);

private:
    void showSlotValue(int index);

    std::vector<std::pair<QString, QString>> m_slots;
    QComboBox *m_param;
    QLineEdit *m_value;
};
