#include "replies/ui/replypath.h"

#include "console/texts.h"
#include "console/ui/mainwindow.h"

#include <QCheckBox>
#include <QListWidget>

ReplyPath::ReplyPath(Main &main) : QObject(&main), m_main(main) {}

void ReplyPath::displayClicked() {
    QCheckBox &box = m_main.displaySwitch();
    QPalette palette = box.palette();
    if (box.isChecked()) {
        box.setText(texts::kDisplayOn);
        palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
    } else {
        box.setText(texts::kDisplayOff);
        palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    }
    box.setPalette(palette);
}

void ReplyPath::clearTrace() {
    m_main.traceList().clear();
}

void ReplyPath::clearOperation() {
    m_main.operationList().clear();
}

void ReplyPath::activateLog() {}
void ReplyPath::deactivateLog() {}
void ReplyPath::updateApplication() {}
void ReplyPath::localUpdate() {}
void ReplyPath::reboot() {}
