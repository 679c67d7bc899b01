#pragma once

#include <QTableWidget>

struct LoggerList;

// The logger grid: one logger per row, numbered 1 to 39 as operators count
// them (the column titles stand in the header, the old row 0). The colour of
// a row's first cell tells its state; no selection highlight may hide it.
class LoggerGrid final : public QTableWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoggerGrid)

public:
    static constexpr int kRows = 39;
    enum class Mark { None, Selected, Connected };

    explicit LoggerGrid(QWidget *parent = nullptr);

    // Builds the empty grid: columns, widths, titles, every mark cleared.
    void Init_Loggers();
    // Fills rows 1.. with the list's loggers (cells shown as Windows-1252 text).
    void load(const LoggerList &list);

    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString &text);
    Mark mark(int row) const;
    void setMark(int row, Mark mark);
    QColor markColour(int row) const;
    // The row of the cell clicked last, or made current by the console; 0 when none.
    int current() const;
    void makeCurrent(int row);

Q_SIGNALS:
    // A mouse click on a cell of a logger row (1..39), with the clicked column.
    void clicked(int row, int column);

private:
    QTableWidgetItem *item(int row, int column) const;
    int m_current = 0;
};
