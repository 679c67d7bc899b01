#include "support/fakes.h"

#include <algorithm>

void RecordingPrompter::open(Box box) {
    boxes.push_back(box);
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    // A copy: the hook may replace itself, or open another box, while it runs.
    if (const auto hook = whileOpen) {
        hook(box);
    }
    --depth;
}

void RecordingPrompter::showInformation(const QString &text, Icon icon, const QString &title) {
    open({text, icon, title, false});
}

bool RecordingPrompter::showQuestion(const QString &text, const QString &title) {
    open({text, Icon::Question, title, true});
    if (answers.empty()) {
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QStringList RecordingPrompter::texts() const {
    QStringList out;
    for (const auto &box : boxes) {
        out << box.text;
    }
    return out;
}

void FakeClock::arm(ClockTimer &timer) const {
    disarm(timer);
    m_armed.push_back({&timer, m_order++});
}

void FakeClock::disarm(ClockTimer &timer) const {
    std::erase_if(m_armed, [&](const Armed &armed) { return armed.timer == &timer; });
}

void FakeClock::advance(qint64 tenths) {
    const qint64 target = m_tenths + tenths;
    for (;;) {
        const auto due =
            std::min_element(m_armed.begin(), m_armed.end(), [](const Armed &a, const Armed &b) {
                const qint64 x = a.timer->deadline();
                const qint64 y = b.timer->deadline();
                return x != y ? x < y : a.order < b.order;
            });
        if (due == m_armed.end() || due->timer->deadline() > target) {
            break;
        }
        m_tenths = std::max(m_tenths, due->timer->deadline());
        due->timer->check();
    }
    m_tenths = std::max(m_tenths, target); // a deadline may have moved it on already
}
