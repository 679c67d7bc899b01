#pragma once

#include <QString>

#include "console/texts.h"

// Every message box and Yes/No question of the console goes through this
// interface: the widgets use a QMessageBox implementation, tests a recorder
// with scripted answers.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Critical, Question };

    virtual ~Prompter() = default;
    // An OK-only box; blocks (with a nested event loop) until it is closed.
    virtual void inform(const QString &text, Icon icon = Icon::None,
                        const QString &title = texts::kAppTitle) = 0;
    // A Yes/No box with the question icon and No as the default button.
    virtual bool ask(const QString &text, const QString &title = texts::kWarningTitle) = 0;
};
