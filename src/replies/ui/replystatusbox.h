#pragma once

#include <QFrame>

class QCheckBox;
class QLabel;

// The box at the top right: the switch that shows or hides replies in the lists, and
// the session log's state.
class ReplyStatusBox final : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplyStatusBox)

public:
    explicit ReplyStatusBox(QWidget *parent = nullptr);

    bool displayOn() const;

    // Ticks the switch as the operator would, caption and colour included.
    void switchDisplayOn();
    void setLogCaption(const QString &caption);

Q_SIGNALS:
    void displaySwitched(bool on);

private:
    void showSwitch();

    QCheckBox *m_display;
    QLabel *m_logSize;
};
