#pragma once

#include "console/clock.h"
#include "console/connection.h"
#include "console/prompter.h"
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

// Time stands still unless a test moves it, or, with stepPerRead set, moves on by that
// many tenths each time the console reads it: a wait read every tick then runs through
// its 30 seconds in 300 quick ticks.
class FakeClock final : public Clock {
public:
    qint64 tenths() const override {
        const qint64 now = m_tenths;
        m_tenths += stepPerRead;
        return now;
    }
    QDateTime nowUtc() const override { return m_utc; }
    QDateTime nowLocal() const override {
        return m_local.isValid() ? m_local : m_utc.toLocalTime();
    }
    // The time without moving it.
    qint64 peek() const { return m_tenths; }
    void advance(qint64 tenths) { m_tenths += tenths; }
    void setNow(const QDateTime &utc, const QDateTime &local = {}) {
        m_utc = utc;
        m_local = local;
    }
    qint64 stepPerRead = 0;

private:
    mutable qint64 m_tenths = 1000;
    QDateTime m_utc = QDateTime(QDate(2019, 3, 7), QTime(13, 25, 30), Qt::UTC);
    QDateTime m_local;
};

// Fast ticks and timers, for tests that run real waits.
inline LinkTimings fastTimings() {
    using namespace std::chrono_literals;
    return LinkTimings{1ms, 60'000ms, 1'000ms};
}
