#pragma once

#include <QObject>

class QMenuBar;

// F10 and a lone Alt press open the window's menu bar from the keyboard. Desktop themes
// do this, but without one (a plain X session, a kiosk) the menus would be the mouse's
// alone, since they carry no shortcuts and no underlined letters. Where the style leads the
// menu bar from Alt itself, it is left to do so.
class MenuKeys final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MenuKeys)

public:
    // Watches the application's key events for bar's window; lives as the bar's child.
    explicit MenuKeys(QMenuBar &bar);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool forThisWindow(QObject *watched) const;
    void openFirstMenu();

    QMenuBar &m_bar;
    bool m_altAlone = false; // Alt went down with the bar idle, and nothing else since
};
