#include "replies/ui/replylist.h"

#include "console/text8.h"
#include "console/texts.h"

#include <QStyledItemDelegate>

namespace {

// Gives every entry the same wide extent, so the list scrolls horizontally over
// that width whatever the first entry's length.
class ScrollWidthDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        return {ReplyList::kScrollWidth, QStyledItemDelegate::sizeHint(option, index).height()};
    }
};

} // namespace

ReplyList::ReplyList(Part part, QWidget *parent) : QListWidget(parent), m_part(part) {
    const bool trace = part == Part::Trace;
    setObjectName(trace ? QStringLiteral("List1") : QStringLiteral("List2"));
    setAccessibleName(trace ? QStringLiteral("Trace list") : QStringLiteral("Operation list"));
    // Chatty loggers: uniform items keep appends cheap.
    setUniformItemSizes(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new ScrollWidthDelegate(this));
}

QString ReplyList::shownText(const QByteArray &text) {
    // The list scrolls over 10000 pixels: a longer entry would only cost a
    // whole-text layout on every repaint. The log keeps every byte.
    if (text.size() <= kShownChars) {
        return text8::toDisplay(text);
    }
    return text8::toDisplay(QByteArrayView(text).first(kShownChars)) +
           texts::moreCharacters(text.size() - kShownChars);
}

const QByteArray &ReplyList::pieceOf(const ReplyLine &line) const {
    return m_part == Part::Trace ? line.trace : line.operation;
}

void ReplyList::appendLines(const std::vector<ReplyLine> &lines) {
    if (!m_showing) {
        return;
    }
    // Walk back to the oldest piece that can still be among the newest kLimit.
    auto first = lines.end();
    int kept = 0;
    while (first != lines.begin() && kept < kLimit) {
        --first;
        if (!pieceOf(*first).isEmpty()) {
            ++kept;
        }
    }
    if (kept == 0) {
        return;
    }
    if (kept == kLimit) {
        clear(); // every entry shown so far would be trimmed away
    }
    for (auto it = first; it != lines.end(); ++it) {
        if (const QByteArray &piece = pieceOf(*it); !piece.isEmpty()) {
            addItem(shownText(piece));
        }
    }
    trimTo(kLimit);
}

void ReplyList::appendRemainder(const ReplyLine &rest) {
    const QByteArray &piece = pieceOf(rest);
    if (piece.isEmpty()) {
        return;
    }
    if (m_showing) {
        addItem(shownText(piece));
    }
    if (count() > kRemainderLimit) {
        delete takeItem(0);
    }
}

void ReplyList::trimTo(int limit) {
    while (count() > limit) {
        delete takeItem(0);
    }
}

void ReplyList::selectNewest() {
    if (count() > 0) {
        setCurrentRow(count() - 1);
    }
}

void ReplyList::setShowing(bool on) {
    m_showing = on;
}

void ReplyList::setKeepAliveTint(bool on) {
    if (on) {
        // Red list: the operator sees at a glance that the link is held.
        QPalette red = palette();
        red.setColor(QPalette::Base, QColor(255, 0, 0));
        setPalette(red);
    } else {
        setPalette(QPalette());
    }
}
