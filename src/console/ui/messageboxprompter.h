#pragma once

#include "console/prompter.h"

class QWidget;

// The production prompter: modal QMessageBoxes over the main window.
class MessageBoxPrompter final : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void inform(const QString &text, Icon icon, const QString &title) override;
    bool ask(const QString &text, const QString &title) override;

private:
    QWidget *m_parent;
};
