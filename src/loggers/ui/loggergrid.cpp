#include "loggers/ui/loggergrid.h"

#include "console/text8.h"
#include "loggers/loggerlist.h"

#include <QHeaderView>

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);

} // namespace

LoggerGrid::LoggerGrid(QWidget *parent) : QTableWidget(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No highlight: the red and green marks are the selection display.
    setSelectionMode(QAbstractItemView::NoSelection);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setAccessibleName(QStringLiteral("Loggers"));
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int column) {
        m_current = row + 1;
        Q_EMIT clicked(row + 1, column);
    });
}

void LoggerGrid::Init_Loggers() {
    clear();
    setRowCount(kRows);
    setColumnCount(3);
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
        setMark(row, Mark::None);
    }
    m_current = 0;
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

QColor LoggerGrid::markColour(int row) const {
    const auto *it = item(row, 0);
    return it ? it->background().color() : QColor();
}

LoggerGrid::Mark LoggerGrid::mark(int row) const {
    const QColor colour = markColour(row);
    if (colour == kRed) {
        return Mark::Selected;
    }
    if (colour == kGreen) {
        return Mark::Connected;
    }
    return Mark::None;
}

void LoggerGrid::setMark(int row, Mark mark) {
    auto *it = item(row, 0);
    if (!it) {
        return;
    }
    switch (mark) {
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

int LoggerGrid::current() const {
    return m_current;
}

void LoggerGrid::makeCurrent(int row) {
    if (row >= 1 && row <= rowCount()) {
        m_current = row;
        setCurrentCell(row - 1, 0);
    }
}
