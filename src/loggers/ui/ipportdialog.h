#pragma once

#include <QDialog>

class QLineEdit;

// Corrects the host and port of one grid row. It only hands the two texts
// back; the main window writes them into the grid's current row.
class IpPortDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IpPortDialog)

public:
    IpPortDialog(const QString &host, const QString &port, QWidget *parent = nullptr);

Q_SIGNALS:
    void submitted(const QString &host, const QString &port);

private:
    QLineEdit *m_ip;
    QLineEdit *m_port;
};
