#pragma once

#include <QWidget>

// The about window: icon, maker and the program's name line; no logic.
class AboutBox final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutBox)

public:
    explicit AboutBox(QWidget *parent = nullptr);
};
