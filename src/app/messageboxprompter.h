#pragma once

#include "base/prompter.h"

class QMessageBox;
class QWidget;

// The production prompter: modal QMessageBoxes over the window the operator is in (the main
// window, or the form that raised the box).
class MessageBoxPrompter final : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

private:
    QWidget *owner() const;
    static int run(QMessageBox &box);
    void showInformation(const QString &text, Icon icon, const QString &title) override;
    bool showQuestion(const QString &text, const QString &title) override;

    QWidget *m_parent;
};
