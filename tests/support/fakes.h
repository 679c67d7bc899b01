#pragma once

#include "console/clock.h"
#include "console/eventpump.h"
#include "console/prompter.h"

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

    void inform(const QString &text, Icon icon, const QString &title) override;
    bool ask(const QString &text, const QString &title) override;

    QStringList texts() const;
    std::vector<Box> boxes;
    std::deque<bool> answers; // next answers to questions; empty means No
    // Runs while a box is "open", to play what happens in its nested event loop.
    std::function<void(const Box &)> whileOpen;
    int depth = 0;
    int maxDepth = 0;
};

// Time stands still unless a test or the pump moves it.
class FakeClock final : public Clock {
public:
    qint64 tenths() const override { return m_tenths; }
    QDateTime nowUtc() const override { return m_utc; }
    QDateTime nowLocal() const override {
        return m_local.isValid() ? m_local : m_utc.toLocalTime();
    }
    void advance(qint64 tenths) { m_tenths += tenths; }
    void setNow(const QDateTime &utc, const QDateTime &local = {}) {
        m_utc = utc;
        m_local = local;
    }

private:
    qint64 m_tenths = 1000;
    QDateTime m_utc = QDateTime(QDate(2019, 3, 7), QTime(13, 25, 30), Qt::UTC);
    QDateTime m_local;
};

// Handles real events (loopback sockets, timers) and moves the fake clock a
// tenth per idle turn, so a 30-second wait takes 300 short turns.
class FakePump final : public EventPump {
public:
    explicit FakePump(FakeClock &clock) : m_clock(clock) {}
    void processPending() override;
    void idle() override;

    int idleTurns = 0;
    std::function<void(int turn)> onIdle; // runs before each idle turn

private:
    FakeClock &m_clock;
};
