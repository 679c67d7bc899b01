#pragma once

#include <QDialog>

// The about window: icon, maker and the program's name line; no logic. A dialog, so screen
// readers announce it as one and Escape closes it; never modal.
class AboutBox final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutBox)

public:
    explicit AboutBox(QWidget *parent = nullptr);
};
