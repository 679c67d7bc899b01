#include "app/menukeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <utility>

MenuKeys::MenuKeys(QMenuBar &bar) : QObject(&bar), m_bar(bar) {
    qApp->installEventFilter(this);
}

bool MenuKeys::forThisWindow(QObject *watched) const {
    const auto *widget = qobject_cast<const QWidget *>(watched);
    return widget && widget->window() == m_bar.window() && !QApplication::activePopupWidget() &&
           !QApplication::activeModalWidget();
}

void MenuKeys::openFirstMenu() {
    for (QAction *action : m_bar.actions()) {
        if (action->isVisible() && action->isEnabled()) {
            m_bar.setActiveAction(action);
            return;
        }
    }
}

bool MenuKeys::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (key->key() == Qt::Key_Alt) {
            if (!key->isAutoRepeat()) {
                // Pressed to leave a menu bar that the style already leads: not to open it.
                m_altAlone = !m_bar.activeAction();
            }
            return false;
        }
        m_altAlone = false;
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier &&
            forThisWindow(watched)) {
            openFirstMenu();
            return true;
        }
        return false;
    }
    case QEvent::KeyRelease: {
        const auto *key = static_cast<const QKeyEvent *>(event);
        // A style that leads the menu bar from Alt has done so by now (its filter comes
        // first), and the bar then has an active entry.
        if (key->key() == Qt::Key_Alt && std::exchange(m_altAlone, false) &&
            !m_bar.activeAction() && forThisWindow(watched)) {
            openFirstMenu();
        }
        return false;
    }
    case QEvent::MouseButtonPress:
        m_altAlone = false;
        return false;
    default:
        return false;
    }
}
