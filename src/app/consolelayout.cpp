#include "app/consolelayout.h"

#include <algorithm>

namespace {

// The reference layout, in pixels.
constexpr int kLeftWidth = 545;
constexpr int kGap = 7;
constexpr int kTraceHeight = 436;
constexpr int kListGap = 4;
constexpr int kOperationHeight = 148;
constexpr int kGridHeight = 553;

// Below these the parts stop being usable: a few lines per list, a few rows of loggers.
constexpr int kMinLeftWidth = 280;
constexpr int kMinTraceHeight = 100;
constexpr int kMinOperationHeight = 80;
constexpr int kMinGridHeight = 120;

// The reference layout's parts fill the reference area.
static_assert(kLeftWidth + kGap + ConsoleLayout::kGridWidth + 1 ==
              ConsoleLayout::kReferenceArea.width());

} // namespace

QSize ConsoleLayout::preferredArea(const Needs &needs) {
    return {kReferenceArea.width() + std::max(0, needs.gridWidth - kGridWidth),
            kReferenceArea.height() + std::max({0, needs.stripHeight - kStripHeight,
                                                needs.statusHeight - kStatusHeight})};
}

QSize ConsoleLayout::minimumArea(const Needs &needs) {
    const int right = std::max(kGridWidth, needs.gridWidth);
    const int top = std::max({kStripHeight, needs.stripHeight, needs.statusHeight + kGap});
    return {kMinLeftWidth + kGap + right,
            top + std::max(kMinTraceHeight + kListGap + kMinOperationHeight, kMinGridHeight)};
}

ConsoleLayout ConsoleLayout::place(QSize area, const Needs &needs) {
    const QSize preferred = preferredArea(needs);
    area = area.expandedTo(minimumArea(needs));

    // Width: growth goes three quarters to the lists, one to the grid; shrinking takes it from
    // the lists alone. The reference leaves one pixel at the right edge.
    const int dw = area.width() - preferred.width();
    const int right = std::max(kGridWidth, needs.gridWidth) + (dw > 0 ? dw / 4 : 0);
    const int left = area.width() - right - kGap - 1;

    // Left column: the strip, then the two lists sharing the height six parts to four. The
    // operation list runs three pixels past the bottom, as in the reference layout.
    ConsoleLayout layout;
    const int strip = std::max(kStripHeight, needs.stripHeight);
    const int lists = area.height() - (strip - 1) - kListGap + 3;
    const int spare = lists - (kTraceHeight + kOperationHeight);
    const int trace =
        std::clamp(kTraceHeight + spare * 6 / 10, kMinTraceHeight, lists - kMinOperationHeight);
    layout.strip = QRect(0, 0, left, strip);
    layout.trace = QRect(0, strip - 1, left, trace);
    layout.operation = QRect(0, strip - 1 + trace + kListGap, left, lists - trace);

    // Right column: the status box, then the grid down to eight pixels above the bottom.
    const int status = std::max(kStatusHeight, needs.statusHeight);
    const int gridTop = status + kGap;
    const int bottomMargin = kReferenceArea.height() - (kStatusHeight + kGap) - kGridHeight;
    layout.status = QRect(left + kGap, 0, right, status);
    layout.grid = QRect(left + kGap, gridTop, right,
                        std::max(kMinGridHeight, area.height() - gridTop - bottomMargin));
    return layout;
}
