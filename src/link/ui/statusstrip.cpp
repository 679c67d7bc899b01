#include "link/ui/statusstrip.h"

#include "base/texts.h"
#include "base/ui/fit.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>

StatusStrip::StatusStrip(QWidget *parent)
    : QFrame(parent), m_countdown(new QLabel(texts::kReconnecting, this)),
      m_progress(new QProgressBar(this)) {
    setObjectName(QStringLiteral("Frame2"));
    setFrameShape(QFrame::Box);
    auto *title = new QLabel(texts::kStripTitle, this);
    title->setObjectName(QStringLiteral("Label3"));
    fit::place(title, {8, 16, 177, 17});
    m_countdown->setObjectName(QStringLiteral("Cuenta"));
    fit::placeFor(
        m_countdown, {280, 16, 209, 25},
        {texts::kReconnecting, texts::kWaitingCount + QStringLiteral("00"), texts::kReady});
    m_countdown->setAccessibleDescription(QStringLiteral("Reconnect countdown"));
    m_countdown->hide();
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    fit::place(m_progress, {344, 16, 193, 25});
    m_progress->setAccessibleName(QStringLiteral("Connection wait"));
    endWait();
}

void StatusStrip::startWait() {
    m_progress->setRange(0, 100);
    m_progress->show();
    m_progress->setValue(m_progress->minimum());
}

void StatusStrip::showWaitProgress(int percent) {
    m_progress->setValue(std::clamp(percent, 0, 100));
}

void StatusStrip::endWait() {
    m_progress->hide();
    m_progress->setValue(m_progress->minimum());
}

void StatusStrip::showCountdown(const QString &caption) {
    m_countdown->setText(caption);
    m_countdown->show();
}

void StatusStrip::setCountdownText(const QString &caption) {
    m_countdown->setText(caption);
}

void StatusStrip::hideCountdown() {
    m_countdown->hide();
}
