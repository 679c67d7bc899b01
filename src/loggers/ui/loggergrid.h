#pragma once

#include <QTableWidget>

struct LoggerList;

// The logger grid: one logger per row, numbered 1 to 39 as operators count them (the
// column titles stand in the header, the old row 0). It owns which logger is selected
// and which one shows as connected, and paints the first cell of each row from that:
// red for the selected logger, green for the connected one. No selection highlight
// may hide the marks. Tab leaves the grid like any other control; the arrows move the
// current cell and Space or Enter acts on it as a click does.
class LoggerGrid final : public QTableWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoggerGrid)

public:
    static constexpr int kRows = 39;
    // The reference width of the grid and of its columns.
    static constexpr int kReferenceWidth = 297;
    static constexpr int kIdentifierWidth = 133;
    static constexpr int kHostWidth = 93;
    static constexpr int kPortWidth = 47;
    enum class Mark { None, Selected, Connected };

    explicit LoggerGrid(QWidget *parent = nullptr);

    // Fills rows 1.. with the list's loggers, decoded in the list file's own encoding.
    void load(const LoggerList &list);

    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString &text);
    int selectedRow() const { return m_selected; }
    Mark mark(int row) const;

    // The operator picked this logger.
    void select(int row);
    // The connection to this logger was made.
    void showConnected(int row);
    // Disconnect has run: a selected logger shown as connected shows as selected again.
    void showDisconnected();
    // A restart command dropped the link: the selected logger shows as not connected.
    void showRestarted();

    // The width at which every column shows its title and a dotted address or port whole, at
    // the current font: the reference width at the reference font.
    int neededWidth() const { return m_neededWidth; }

    // Shown inside the grid while no cell has text, saying why it is empty.
    void setEmptyHint(const QString &text);

Q_SIGNALS:
    // A click on a cell of a logger row (1..39), or Space or Enter on the current cell,
    // with that cell's column.
    void loggerClicked(int row, int column);
    void selectionChanged(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QTableWidgetItem *item(int row, int column) const;
    void fitColumns();
    void paintMark(int row);
    void makeCurrent(int row);
    void fitToolTip(QTableWidgetItem *it, int column);
    void fitToolTips(int column);
    bool showsEmptyHint() const;

    int m_neededWidth = kReferenceWidth;
    int m_selected = 0;
    int m_connected = 0;
    QString m_emptyHint;
};
