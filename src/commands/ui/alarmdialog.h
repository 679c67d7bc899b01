#pragma once

#include <QDialog>

class QLineEdit;

// The test-alarm form: collects an alarm id and an alarm code as typed and
// hands them back on "OK"; checking and formatting them is its owner's work.
class AlarmDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AlarmDialog)

public:
    explicit AlarmDialog(QWidget *parent = nullptr);

Q_SIGNALS:
    void submitted(const QString &id, const QString &code);

private:
    QLineEdit *m_id;
    QLineEdit *m_code;
};
