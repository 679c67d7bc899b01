#pragma once

#include <QString>

#include "base/texts.h"

// Every message box and Yes/No question of the console goes through this
// interface: the widgets use a QMessageBox implementation, tests a recorder
// with scripted answers. It also knows whether a box is on screen: while one
// is, the connection's waits and pauses hold, so the handler that opened the
// box finishes before they go on.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Critical, Question };

    Prompter() = default;
    virtual ~Prompter() = default;
    Prompter(const Prompter &) = delete;
    Prompter &operator=(const Prompter &) = delete;

    // An OK-only box; returns once it is closed (a nested event loop runs meanwhile).
    void inform(const QString &text, Icon icon = Icon::None,
                const QString &title = texts::kAppTitle) {
        const OpenBox open(*this);
        showInformation(text, icon, title);
    }
    // A Yes/No box with the question icon and No as the default button.
    bool ask(const QString &text, const QString &title = texts::kWarningTitle) {
        const OpenBox open(*this);
        return showQuestion(text, title);
    }
    bool boxOpen() const { return m_openBoxes > 0; }

    // Counts any other modal window (a file dialog) as a box for as long as it lives.
    class OpenBox {
    public:
        explicit OpenBox(Prompter &prompter) : m_prompter(prompter) { ++m_prompter.m_openBoxes; }
        ~OpenBox() { --m_prompter.m_openBoxes; }
        OpenBox(const OpenBox &) = delete;
        OpenBox &operator=(const OpenBox &) = delete;

    private:
        Prompter &m_prompter;
    };

protected:
    virtual void showInformation(const QString &text, Icon icon, const QString &title) = 0;
    virtual bool showQuestion(const QString &text, const QString &title) = 0;

private:
    int m_openBoxes = 0;
};
