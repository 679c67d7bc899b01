#pragma once

#include "base/prompter.h"

class QWidget;

// The production prompter: modal QMessageBoxes over the main window.
class MessageBoxPrompter final : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

private:
    void showInformation(const QString &text, Icon icon, const QString &title) override;
    bool showQuestion(const QString &text, const QString &title) override;

    QWidget *m_parent;
};
