#include "base/ui/dialogparts.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dialogparts {

void setUp(QDialog *dialog, const char *name, const QString &caption, bool topmost) {
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowTitle(caption);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (topmost) {
        dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    }
}

QLineEdit *box(QWidget *parent, const char *name, const QString &spokenName, int width,
               const QString &text) {
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(spokenName);
    edit->setFixedWidth(width);
    return edit;
}

QLabel *label(QWidget *parent, const QString &text, QWidget *buddy) {
    auto *caption = new QLabel(text, parent);
    caption->setBuddy(buddy);
    return caption;
}

QPushButton *button(QWidget *parent, const QString &caption, const char *name, bool isDefault) {
    auto *pushButton = new QPushButton(caption, parent);
    pushButton->setObjectName(QLatin1String(name));
    pushButton->setDefault(isDefault);
    return pushButton;
}

QFormLayout *form(std::initializer_list<std::pair<QLabel *, QWidget *>> rows) {
    auto *layout = new QFormLayout;
    layout->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    for (const auto &[caption, field] : rows) {
        layout->addRow(caption, field);
    }
    return layout;
}

QHBoxLayout *buttonRow(QPushButton *left, QPushButton *right) {
    auto *row = new QHBoxLayout;
    if (left) {
        row->addWidget(left);
    }
    row->addStretch();
    if (right) {
        row->addWidget(right);
    }
    return row;
}

void stack(QDialog *dialog, QLayout *fields, QLayout *buttons, QWidget *below) {
    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(fields);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    if (below) {
        layout->addWidget(below);
    }
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void tabOrder(std::initializer_list<QWidget *> widgets) {
    QWidget *previous = nullptr;
    for (QWidget *widget : widgets) {
        if (previous) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

} // namespace dialogparts
