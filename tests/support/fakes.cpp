#include "support/fakes.h"

#include <algorithm>

void RecordingPrompter::inform(const QString &text, Icon icon, const QString &title) {
    boxes.push_back({text, icon, title, false});
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    if (whileOpen) {
        whileOpen(boxes.back());
    }
    --depth;
}

bool RecordingPrompter::ask(const QString &text, const QString &title) {
    boxes.push_back({text, Icon::Question, title, true});
    if (whileOpen) {
        whileOpen(boxes.back());
    }
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
