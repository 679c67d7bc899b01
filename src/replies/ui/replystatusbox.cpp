#include "replies/ui/replystatusbox.h"

#include "base/texts.h"
#include "base/ui/fit.h"

#include <QCheckBox>
#include <QLabel>

ReplyStatusBox::ReplyStatusBox(QWidget *parent)
    : QFrame(parent), m_display(new QCheckBox(texts::kDisplay, this)), m_logSize(new QLabel(this)) {
    setObjectName(QStringLiteral("Frame1"));
    setFrameShape(QFrame::Box);
    m_display->setObjectName(QStringLiteral("Check_Display"));
    m_display->setText(texts::kDisplayOff); // the longer caption sizes the switch
    fit::place(m_display, {8, 8, 273, 22});
    m_display->setText(texts::kDisplay);
    m_display->setAccessibleDescription(QStringLiteral("Shows replies in the lists"));
    auto *label = new QLabel(texts::kLogAdded, this);
    label->setObjectName(QStringLiteral("Label1"));
    fit::place(label, {8, 40, 73, 17});
    m_logSize->setObjectName(QStringLiteral("Log_Size"));
    // Beside the caption, wide enough for the longest state it shows.
    const int left = std::max(80, label->geometry().right() + 1);
    fit::placeFor(m_logSize, {left, 40, 169, 17},
                  {texts::kLogActive, texts::kLogInactive, texts::kLogTooBig, texts::kLogError,
                   QStringLiteral(" 10000000") + texts::kLogBytesSuffix});
    m_logSize->setAccessibleDescription(QStringLiteral("Session log state"));
    setLogCaption(QString());
    // Tab stops at the switch, the box's one control.
    setFocusProxy(m_display);
    connect(m_display, &QCheckBox::clicked, this, [this] {
        showSwitch();
        Q_EMIT displaySwitched(displayOn());
    });
}

bool ReplyStatusBox::displayOn() const {
    return m_display->isChecked();
}

void ReplyStatusBox::switchDisplayOn() {
    // setChecked does not emit clicked: run the click's logic as the operator would.
    m_display->setChecked(true);
    showSwitch();
    Q_EMIT displaySwitched(true);
}

void ReplyStatusBox::showSwitch() {
    QPalette palette = m_display->palette();
    if (displayOn()) {
        m_display->setText(texts::kDisplayOn);
        palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
    } else {
        m_display->setText(texts::kDisplayOff);
        palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    }
    m_display->setPalette(palette);
}

void ReplyStatusBox::setLogCaption(const QString &caption) {
    m_logSize->setText(caption);
    // Named with its caption and what it says, so a screen reader tells both: a label
    // named only "Log added:" would no longer be read at all. The byte count's caption begins
    // with a blank, the others do not: one blank between them either way.
    m_logSize->setAccessibleName(
        (texts::kLogAdded + QLatin1Char(' ') + caption.trimmed()).trimmed());
}
