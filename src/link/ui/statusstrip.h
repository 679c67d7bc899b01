#pragma once

#include <QFrame>

class QLabel;
class QProgressBar;

// The strip at the top left: the console's title, the reconnect countdown and the
// progress of the connection wait.
class StatusStrip final : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusStrip)

public:
    explicit StatusStrip(QWidget *parent = nullptr);

    void startWait();
    // Out-of-range values are held at 0 and 100.
    void showWaitProgress(int percent);
    void endWait();
    void showCountdown(const QString &caption);
    // A hidden countdown goes on counting without showing itself.
    void setCountdownText(const QString &caption);
    void hideCountdown();

private:
    QLabel *m_countdown;
    QProgressBar *m_progress;
};
