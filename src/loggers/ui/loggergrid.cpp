#include "loggers/ui/loggergrid.h"

#include "loggers/loggerlist.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);

// Relative luminance as the web's contrast guidelines define it (sRGB, linearised).
double luminance(const QColor &colour) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

double contrast(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// Black or white, whichever stands out more on the background: the palette's own text
// colour may be white (dark desktops) and vanish on the green mark.
QColor readableOn(const QColor &background) {
    const double back = luminance(background);
    return contrast(back, 0.0) >= contrast(back, 1.0) ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace

LoggerGrid::LoggerGrid(QWidget *parent) : QTableWidget(kRows, 3, parent) {
    setObjectName(QStringLiteral("TAVs"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No highlight: the red and green marks are the selection display.
    setSelectionMode(QAbstractItemView::NoSelection);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setAccessibleName(QStringLiteral("Loggers"));
    setHorizontalHeaderLabels(
        {QStringLiteral("Logger ID"), QStringLiteral("IP"), QStringLiteral("Port")});
    fitColumns();
    for (int row = 1; row <= kRows; ++row) {
        for (int column = 0; column < 3; ++column) {
            QTableWidget::setItem(row - 1, column, new QTableWidgetItem);
        }
        paintMark(row);
    }
    // Tab moves on to the next control: walking 117 cells first would trap keyboard users.
    setTabKeyNavigation(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QTableWidget::cellClicked, this,
            [this](int row, int column) { Q_EMIT loggerClicked(row + 1, column); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column) { fitToolTips(column); });
}

void LoggerGrid::fitColumns() {
    // 2000, 1400 and 700 twips at 15 twips a pixel. A larger font widens each column to its
    // title, the port column to a five-digit port and the host column to a dotted address,
    // and the grid asks for that much more room; the host column takes whatever width the
    // grid has beyond it.
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) +
                       style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 1;
    const QFontMetrics header(horizontalHeader()->font());
    const int identifier =
        std::max(kIdentifierWidth, header.horizontalAdvance(QStringLiteral("Logger ID")) + margin);
    const int host =
        std::max({kHostWidth, header.horizontalAdvance(QStringLiteral("IP")) + margin,
                  fontMetrics().horizontalAdvance(QStringLiteral("127.0.0.1")) + margin});
    const int port =
        std::max({kPortWidth, fontMetrics().horizontalAdvance(QStringLiteral("65535")) + margin,
                  header.horizontalAdvance(QStringLiteral("Port")) + margin});
    m_neededWidth = kReferenceWidth + (identifier - kIdentifierWidth) + (host - kHostWidth) +
                    (port - kPortWidth);
    setColumnWidth(0, identifier);
    setColumnWidth(1, host + std::max(0, width() - m_neededWidth));
    setColumnWidth(2, port);
}

void LoggerGrid::resizeEvent(QResizeEvent *event) {
    QTableWidget::resizeEvent(event);
    fitColumns();
}

void LoggerGrid::load(const LoggerList &list) {
    int row = 1;
    for (const auto &cells : list.rows) {
        if (row > kRows) {
            break;
        }
        for (int column = 0; column < 3; ++column) {
            setCell(row, column, decodeListText(cells[column], list.encoding));
        }
        ++row;
    }
}

QTableWidgetItem *LoggerGrid::item(int row, int column) const {
    if (row < 1 || row > rowCount() || column < 0 || column >= columnCount()) {
        return nullptr;
    }
    return QTableWidget::item(row - 1, column);
}

QString LoggerGrid::cell(int row, int column) const {
    const auto *it = item(row, column);
    return it ? it->text() : QString();
}

void LoggerGrid::setCell(int row, int column, const QString &text) {
    if (auto *it = item(row, column)) {
        it->setText(text);
        fitToolTip(it, column);
        if (!m_emptyHint.isEmpty()) {
            viewport()->update(); // the hint may have to go, or come back
        }
    }
}

void LoggerGrid::fitToolTip(QTableWidgetItem *it, int column) {
    // The room the style leaves for a cell's text: the column less the grid line and
    // the text margin on either side.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int room = columnWidth(column) - (showGrid() ? 1 : 0) - 2 * margin;
    const QString text = it->text();
    // A cut text shows whole in its tooltip; one that fits needs none.
    const QString tip = fontMetrics().horizontalAdvance(text) > room ? text : QString();
    if (it->toolTip() != tip) {
        it->setToolTip(tip);
    }
}

void LoggerGrid::fitToolTips(int column) {
    for (int row = 1; row <= rowCount(); ++row) {
        if (auto *it = item(row, column)) {
            fitToolTip(it, column);
        }
    }
}

LoggerGrid::Mark LoggerGrid::mark(int row) const {
    if (row != 0 && row == m_connected) {
        return Mark::Connected;
    }
    if (row != 0 && row == m_selected) {
        return Mark::Selected;
    }
    return Mark::None;
}

void LoggerGrid::paintMark(int row) {
    auto *it = item(row, 0);
    if (!it) {
        return;
    }
    // What the colour says, said in words to screen readers on every cell of the row.
    const Mark state = mark(row);
    const QVariant said = state == Mark::Connected  ? QStringLiteral("connected")
                          : state == Mark::Selected ? QStringLiteral("selected")
                                                    : QVariant();
    for (int column = 0; column < columnCount(); ++column) {
        item(row, column)->setData(Qt::AccessibleDescriptionRole, said);
    }
    switch (state) {
    case Mark::None:
        it->setBackground(palette().color(QPalette::Button));
        it->setData(Qt::ForegroundRole, QVariant()); // the palette's text colour again
        return;
    case Mark::Selected:
        it->setBackground(kRed);
        break;
    case Mark::Connected:
        it->setBackground(kGreen);
        break;
    }
    it->setForeground(readableOn(it->background().color()));
}

void LoggerGrid::select(int row) {
    if (row < 1 || row > kRows) {
        return;
    }
    const int previous = m_selected;
    // Picking another logger is allowed only while no link is open, so no other
    // row can still show as connected.
    const int connected = std::exchange(m_connected, 0);
    m_selected = row;
    for (int changed : {previous, connected, row}) {
        paintMark(changed);
    }
    if (row != previous) {
        Q_EMIT selectionChanged(row);
    }
}

void LoggerGrid::showConnected(int row) {
    const int previous = std::exchange(m_connected, row);
    paintMark(previous);
    makeCurrent(row);
    paintMark(row);
}

void LoggerGrid::showDisconnected() {
    if (m_selected != 0 && m_connected == m_selected) {
        m_connected = 0;
        makeCurrent(m_selected);
        paintMark(m_selected);
    }
}

void LoggerGrid::showRestarted() {
    if (m_selected != 0 && m_connected == m_selected) {
        m_connected = 0;
        paintMark(m_selected);
    }
}

void LoggerGrid::makeCurrent(int row) {
    if (row >= 1 && row <= rowCount()) {
        setCurrentCell(row - 1, 0);
    }
}

void LoggerGrid::setEmptyHint(const QString &text) {
    m_emptyHint = text;
    viewport()->update();
}

bool LoggerGrid::showsEmptyHint() const {
    if (m_emptyHint.isEmpty()) {
        return false;
    }
    for (int row = 1; row <= rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            if (!cell(row, column).isEmpty()) {
                return false;
            }
        }
    }
    return true;
}

void LoggerGrid::keyPressEvent(QKeyEvent *event) {
    const QModelIndex current = currentIndex();
    const int key = event->key();
    const bool press = (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
                       (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!press || !current.isValid()) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    // Acts as a click on the current cell. Not through activated(): some styles emit
    // that on a click too, which would then count twice. A held key is one press.
    event->accept();
    if (!event->isAutoRepeat()) {
        Q_EMIT loggerClicked(current.row() + 1, current.column());
    }
}

void LoggerGrid::paintEvent(QPaintEvent *event) {
    QTableWidget::paintEvent(event);
    if (!showsEmptyHint()) {
        return;
    }
    QPainter painter(viewport());
    const int margin = fontMetrics().height();
    const QRectF free = viewport()->rect().adjusted(margin, margin, -margin, -margin);
    // A folder path may be one long word: break it anywhere rather than cut it off.
    QTextOption option(Qt::AlignCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QRectF words = painter.boundingRect(free, m_emptyHint, option);
    // A plain backing keeps the words clear of the grid lines and the row marks.
    const qreal pad = margin / 2.0;
    painter.fillRect(words.adjusted(-pad, -pad, pad, pad), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(free, m_emptyHint, option);
}

void LoggerGrid::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    // Scrolling shifts the painted pixels, the hint with them; it stays where it is.
    if (showsEmptyHint()) {
        viewport()->update();
    }
}

void LoggerGrid::changeEvent(QEvent *event) {
    QTableWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
        fitColumns();
        for (int column = 0; column < columnCount(); ++column) {
            fitToolTips(column);
        }
        break;
    case QEvent::PaletteChange:
        // Unmarked first cells wear the palette's button face.
        for (int row = 1; row <= rowCount(); ++row) {
            paintMark(row);
        }
        break;
    default:
        break;
    }
}
