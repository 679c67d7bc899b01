#include "replies/ui/replylist.h"

#include "base/text8.h"
#include "base/texts.h"

#include "replies/replypath.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QStyledItemDelegate>

static_assert(ReplyList::kLimit == ReplyPath::kNewestLines,
              "the reply path offers as many lines as a list keeps");

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

void ReplyList::appendLines(const std::vector<QByteArray> &trace,
                            const std::vector<QByteArray> &operation) {
    if (!m_showing) {
        return;
    }
    for (const QByteArray &piece : m_part == Part::Trace ? trace : operation) {
        m_pending.append(piece);
    }
    if (m_pending.size() > kLimit) {
        m_pending.remove(0, m_pending.size() - kLimit);
    }
}

void ReplyList::addPending() {
    if (m_pending.isEmpty()) {
        return;
    }
    const int incoming = static_cast<int>(m_pending.size());
    if (incoming == kLimit && count() == kLimit) {
        // A whole new screenful: the items stay and take the new texts, which spares the
        // view removing and laying out six hundred rows.
        for (int row = 0; row < kLimit; ++row) {
            item(row)->setText(shownText(m_pending[row]));
        }
        m_pending.clear();
        return;
    }
    // Entries the new ones would push past the limit go first, in one step.
    const int surplus = count() + incoming - kLimit;
    if (surplus >= count()) {
        clear();
    } else if (surplus > 0) {
        model()->removeRows(0, surplus);
    }
    QStringList shown;
    shown.reserve(incoming);
    for (const QByteArray &piece : std::as_const(m_pending)) {
        shown.append(shownText(piece));
    }
    m_pending.clear();
    addItems(shown);
}

void ReplyList::appendRemainder(const ReplyLine &rest) {
    const QByteArray &piece = pieceOf(rest);
    if (piece.isEmpty()) {
        return;
    }
    addPending();
    if (m_showing) {
        addItem(shownText(piece));
    }
    if (count() > kRemainderLimit) {
        delete takeItem(0);
    }
}

void ReplyList::showArrived() {
    addPending();
    if (count() > 0) {
        // Laid out now: a repaint before the view's own deferred layout would show an
        // empty list, and a flood keeps deferring it.
        executeDelayedItemsLayout();
        setCurrentRow(count() - 1);
    }
}

void ReplyList::setShowing(bool on) {
    m_showing = on;
}

void ReplyList::paintEvent(QPaintEvent *event) {
    QListWidget::paintEvent(event);
    // An empty list has no current entry to show the focus on: the list shows it itself.
    if (count() == 0 && hasFocus()) {
        QStylePainter painter(viewport());
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = viewport()->rect().adjusted(1, 1, -1, -1);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
        focus.backgroundColor = palette().color(QPalette::Base);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void ReplyList::focusInEvent(QFocusEvent *event) {
    QListWidget::focusInEvent(event);
    viewport()->update();
}

void ReplyList::focusOutEvent(QFocusEvent *event) {
    QListWidget::focusOutEvent(event);
    viewport()->update();
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
