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
