#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <algorithm>

// The console keeps its reference layout in pixels; with a larger desktop font a control
// grows just enough for its text instead of cutting it.
namespace fit {

// The reference place, widened and heightened to the widget's own size hint.
inline void place(QWidget *widget, const QRect &reference) {
    const QSize hint = widget->sizeHint();
    widget->setGeometry(reference.x(), reference.y(), std::max(reference.width(), hint.width()),
                        std::max(reference.height(), hint.height()));
}

// The reference place, wide enough for the longest of the texts the widget will show.
inline void placeFor(QWidget *widget, const QRect &reference, const QStringList &texts) {
    const QFontMetrics metrics(widget->font());
    int width = reference.width();
    for (const QString &text : texts) {
        width = std::max(width, metrics.horizontalAdvance(text) + 4);
    }
    widget->setGeometry(reference.x(), reference.y(), width,
                        std::max(reference.height(), metrics.height() + 2));
}

} // namespace fit
