#pragma once

#include "commands/parametertable.h"
#include "console/ui/consolestate.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QTimer;
class Clock;
class EventPump;
class Link;
class LoggerGrid;
class IpPortDialog;
class AboutBox;
class Prompter;
class ConnectionController;
class CommandController;
class ReplyPath;

// What the console needs from outside; tests pass fakes, main() the real ones.
struct MainServices {
    Prompter *prompter = nullptr; // null: message boxes over the window
    Clock *clock = nullptr;       // null: the steady system clock
    EventPump *pump = nullptr;    // null: Qt's event loop
    QString workDir;              // empty: the process's current directory
};

// The console's main window: owns the controls, the shared state and the
// controllers that implement the operator's commands, and wires the menus
// to them. Handlers live in the controllers, not here.
class Main final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Main)

public:
    explicit Main(MainServices services = {}, QWidget *parent = nullptr);
    ~Main() override;

    // Start-up, in the console's fixed order. Call once, before show().
    void startUp();

    // Public operations other windows rely on.
    void Fill_Parameters(const QByteArray &value_s);
    QByteArray LoadFile(const QString &filename);
    void PUT_progressBar(int percent);
    void ON_progressBar();
    void OFF_progressBar();

    ConsoleState &state() { return m_state; }
    ParameterTable &params() { return m_params; }
    Link &link() const { return *m_link; }
    LoggerGrid &grid() const { return *m_grid; }
    QListWidget &traceList() const { return *m_list1; }
    QListWidget &operationList() const { return *m_list2; }
    QLabel &countdownLabel() const { return *m_cuenta; }
    QLabel &logSizeLabel() const { return *m_logSize; }
    QCheckBox &displaySwitch() const { return *m_display; }
    QProgressBar &progressBar() const { return *m_progress; }
    QTimer &countdownTimer() const { return *m_timer1; }
    QTimer &keepAliveTimer() const { return *m_timer2; }
    Prompter &prompter() const { return *m_prompter; }
    Clock &clock() const { return *m_clock; }
    EventPump &pump() const { return *m_pump; }
    QString pathOf(const QString &fileName) const;
    QAction *action(const char *name) const;

    ConnectionController &connection() const { return *m_connection; }
    CommandController &commands() const { return *m_commands; }
    ReplyPath &replies() const { return *m_replies; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void wireMenus();
    void Load_Loggers();
    void onGridClicked(int row, int column);
    void openAddressDialog();
    void showAbout();

    std::unique_ptr<Prompter> m_ownPrompter;
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<EventPump> m_ownPump;
    Prompter *m_prompter;
    Clock *m_clock;
    EventPump *m_pump;
    QString m_workDir;

    ConsoleState m_state;
    ParameterTable m_params;

    Link *m_link = nullptr;
    LoggerGrid *m_grid = nullptr;
    QListWidget *m_list1 = nullptr;
    QListWidget *m_list2 = nullptr;
    QLabel *m_cuenta = nullptr;
    QLabel *m_logSize = nullptr;
    QCheckBox *m_display = nullptr;
    QProgressBar *m_progress = nullptr;
    QTimer *m_timer1 = nullptr;
    QTimer *m_timer2 = nullptr;

    std::unique_ptr<ConnectionController> m_connection;
    std::unique_ptr<CommandController> m_commands;
    std::unique_ptr<ReplyPath> m_replies;

    QPointer<IpPortDialog> m_addressDialog;
    QPointer<AboutBox> m_about;
};
