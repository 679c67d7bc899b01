#pragma once

#include "replies/replyframer.h"

#include <QListWidget>
#include <vector>

// One of the two reply lists: the trace list (text outside braces) or the operation
// list (text inside them). Keeps its newest entries up to its limit, can be switched
// off, and turns red while the keep-alive is on (the trace list).
class ReplyList final : public QListWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplyList)

public:
    enum class Part { Trace, Operation };
    static constexpr int kLimit = 600;
    static constexpr int kRemainderLimit = 300;
    static constexpr qsizetype kShownChars = 4000;
    static constexpr int kScrollWidth = 10000;

    ReplyList(Part part, QWidget *parent = nullptr);

    // An entry as the list shows it: long ones are cut, with a note of what is left out.
    static QString shownText(const QByteArray &text);

    // The newest lines of an arrival, each kind in order; this list takes its own kind.
    // They are kept until the arrival ends, and only those that can still be among the
    // newest kLimit entries become items.
    void appendLines(const std::vector<QByteArray> &trace,
                     const std::vector<QByteArray> &operation);
    // This list's piece of an unfinished line; then at most one entry over
    // kRemainderLimit is removed, shown or not.
    void appendRemainder(const ReplyLine &rest);
    // The arrival has ended: its entries are shown, laid out, and the newest selected.
    void showArrived();
    void setShowing(bool on);
    void setKeepAliveTint(bool on);

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    const QByteArray &pieceOf(const ReplyLine &line) const;
    void addPending();

    Part m_part;
    bool m_showing = true;
    QList<QByteArray> m_pending; // the newest pieces of the arrival, at most kLimit
};
