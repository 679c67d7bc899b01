#pragma once

#include "commands/parameterlisting.h"
#include "console/connection.h"
#include "console/ui/menutree.h"

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <memory>

class AboutBox;
class Clock;
class CommandController;
class IpPortDialog;
class Link;
class LoggerGrid;
class Prompter;
class ReplyList;
class ReplyPath;
class ReplyStatusBox;
class StatusStrip;

// What the console needs from outside; tests pass fakes, main() the defaults.
struct ConsoleServices {
    Prompter *prompter = nullptr; // null: message boxes over the window
    Clock *clock = nullptr;       // null: the steady system clock
    LinkTimings timings;
    QString workDir; // empty: the process's current directory
};

// The console's main window: builds the parts, lays them out and wires them, menu by
// menu. It is the only place that knows every part; the parts know nothing of it.
class MainWindow final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(ConsoleServices services = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Reads the list file and switches the display on. Call once, before show().
    void startUp();

    QAction *action(MenuItem item) const { return m_actions.at(item); }
    // The parts, for checks from outside.
    Link &link() const { return *m_link; }
    ParameterListing &listing() { return m_listing; }
    Connection &connection() const { return *m_connection; }
    ReplyPath &replies() const { return *m_replies; }
    CommandController &commands() const { return *m_commands; }
    LoggerGrid &grid() const { return *m_grid; }
    ReplyList &traceList() const { return *m_traceList; }
    ReplyList &operationList() const { return *m_operationList; }
    const StatusStrip &statusStrip() const { return *m_statusStrip; }
    ReplyStatusBox &replyStatus() const { return *m_replyStatus; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void layOut();
    void wire();
    void wireMenus();
    void loadLoggers();
    void onLoggerClicked(int row, int column);
    void openAddressDialog(int row);
    void showAbout();
    QString pathOf(const QString &fileName) const;
    void on(MenuItem item, const std::function<void()> &handler);

    std::unique_ptr<Prompter> m_ownPrompter;
    std::unique_ptr<Clock> m_ownClock;
    Prompter &m_prompter;
    Clock &m_clock;
    const QString m_workDir;

    ParameterListing m_listing;
    Link *m_link;
    Connection *m_connection;
    ReplyPath *m_replies;
    CommandController *m_commands;

    StatusStrip *m_statusStrip;
    ReplyStatusBox *m_replyStatus;
    ReplyList *m_traceList;
    ReplyList *m_operationList;
    LoggerGrid *m_grid;
    std::map<MenuItem, QAction *> m_actions;

    QPointer<IpPortDialog> m_addressDialog;
    QPointer<AboutBox> m_about;
};
