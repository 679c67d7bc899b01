#pragma once

#include "base/clock.h"
#include "base/prompter.h"
#include "support/printers.h"

#include <deque>
#include <functional>
#include <vector>

// Records every box the console shows and answers questions from a script.
class RecordingPrompter final : public Prompter {
public:
    struct Box {
        QString text;
        Icon icon;
        QString title;
        bool question;
    };

    QStringList texts() const;
    std::vector<Box> boxes;
    std::deque<bool> answers; // next answers to questions; empty means No
    // Runs while a box is "open", to play what happens in its nested event loop.
    std::function<void(const Box &)> whileOpen;
    int depth = 0;
    int maxDepth = 0;

private:
    void open(Box box);
    void showInformation(const QString &text, Icon icon, const QString &title) override;
    bool showQuestion(const QString &text, const QString &title) override;
};

// Time stands still unless a test moves it. Moving it runs every deadline that falls due on
// the way, in order, each at its own time: a 30-second wait or a minute's keep-alive passes
// in one call, exactly.
class FakeClock final : public Clock {
public:
    qint64 tenths() const override { return m_tenths; }
    QDateTime nowUtc() const override { return m_utc; }
    QDateTime nowLocal() const override {
        return m_local.isValid() ? m_local : m_utc.toLocalTime();
    }
    void advance(qint64 tenths);
    void setNow(const QDateTime &utc, const QDateTime &local = {}) {
        m_utc = utc;
        m_local = local;
    }

private:
    void arm(ClockTimer &timer) const override;
    void disarm(ClockTimer &timer) const override;

    struct Armed {
        ClockTimer *timer;
        quint64 order; // deadlines that fall together run in the order they were set
    };
    qint64 m_tenths = 1000;
    mutable std::vector<Armed> m_armed;
    mutable quint64 m_order = 0;
    QDateTime m_utc = QDateTime(QDate(2019, 3, 7), QTime(13, 25, 30), Qt::UTC);
    QDateTime m_local;
};
