#include "app/messageboxprompter.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon toQt(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QWidget *MessageBoxPrompter::owner() const {
    // The window the operator is in: a box that belonged to the main window would open behind
    // an always-on-top form that raised it, and the console would seem frozen.
    QWidget *active = QApplication::activeWindow();
    return active && active->isVisible() ? active : m_parent;
}

int MessageBoxPrompter::run(QMessageBox &box) {
    if (const QWidget *over = box.parentWidget();
        over && over->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    return box.exec();
}

void MessageBoxPrompter::showInformation(const QString &text, Icon icon, const QString &title) {
    QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, owner());
    run(box);
}

bool MessageBoxPrompter::showQuestion(const QString &text, const QString &title) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    owner());
    box.setDefaultButton(QMessageBox::No);
    return run(box) == QMessageBox::Yes;
}
