#include "loggers/ui/loggergrid.h"

#include "console/text8.h"
#include "loggers/loggerlist.h"

#include <QHeaderView>

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);

} // namespace

LoggerGrid::LoggerGrid(QWidget *parent) : QTableWidget(kRows, 3, parent) {
    setObjectName(QStringLiteral("TAVs"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No highlight: the red and green marks are the selection display.
    setSelectionMode(QAbstractItemView::NoSelection);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setAccessibleName(QStringLiteral("Loggers"));
    // 2000, 1400 and 700 twips at 15 twips a pixel.
    setColumnWidth(0, 133);
    setColumnWidth(1, 93);
    setColumnWidth(2, 47);
    setHorizontalHeaderLabels(
        {QStringLiteral("Logger ID"), QStringLiteral("IP"), QStringLiteral("Port")});
    for (int row = 1; row <= kRows; ++row) {
        for (int column = 0; column < 3; ++column) {
            QTableWidget::setItem(row - 1, column, new QTableWidgetItem);
        }
        paintMark(row);
    }
    connect(this, &QTableWidget::cellClicked, this,
            [this](int row, int column) { Q_EMIT loggerClicked(row + 1, column); });
}

void LoggerGrid::load(const LoggerList &list) {
    int row = 1;
    for (const auto &cells : list.rows) {
        if (row > kRows) {
            break;
        }
        for (int column = 0; column < 3; ++column) {
            setCell(row, column, text8::toDisplay(cells[column]));
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

QColor LoggerGrid::markColour(int row) const {
    const auto *it = item(row, 0);
    return it ? it->background().color() : QColor();
}

void LoggerGrid::paintMark(int row) {
    auto *it = item(row, 0);
    if (!it) {
        return;
    }
    switch (mark(row)) {
    case Mark::None:
        it->setBackground(palette().color(QPalette::Button));
        break;
    case Mark::Selected:
        it->setBackground(kRed);
        break;
    case Mark::Connected:
        it->setBackground(kGreen);
        break;
    }
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
