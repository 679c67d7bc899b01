#pragma once

#include <QString>
#include <initializer_list>
#include <utility>

class QDialog;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QWidget;

// The pieces the argument dialogs are built from, so that they look and
// behave alike: named controls, labels that speak their own text, buttons
// at the edges, and a layout fixed at its natural size.
namespace dialogparts {

// Names and titles the dialog; it deletes itself when closed, so every
// opening starts from its initial contents. A topmost dialog gets the hint
// before it is shown (set afterwards, it would hide the window).
void setUp(QDialog *dialog, const char *name, const QString &caption, bool topmost = false);
QLineEdit *box(QWidget *parent, const char *name, const QString &spokenName, int width,
               const QString &text = {});
QLabel *label(QWidget *parent, const QString &text, QWidget *buddy);
QPushButton *button(QWidget *parent, const QString &caption, const char *name,
                    bool isDefault = false);
// Labelled rows whose fields keep their own widths.
QFormLayout *form(std::initializer_list<std::pair<QLabel *, QWidget *>> rows);
// `left` at the left edge (if any) and `right` at the right edge (if any).
QHBoxLayout *buttonRow(QPushButton *left, QPushButton *right);
// Fields above, buttons below, and an optional widget under the buttons.
void stack(QDialog *dialog, QLayout *fields, QLayout *buttons, QWidget *below = nullptr);
void tabOrder(std::initializer_list<QWidget *> widgets);

} // namespace dialogparts
