#pragma once

#include "commands/catalogue.h"

#include <QMainWindow>
#include <QPointer>

class AboutBox;
class CommandController;
class Console;
class IpPortDialog;
class LoggerGrid;
class Prompter;
class ReplyList;
class ReplyStatusBox;
class StatusStrip;

// The console's main window: lays out the widgets and wires them to the console's core,
// menu by menu. It is the only place that knows every part; the parts know nothing of it.
class MainWindow final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // prompter: the one the console was built with; its boxes belong to this window.
    MainWindow(Console &console, Prompter &prompter, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Reads the list file and switches the display on. Call once, before show(). exampleList:
    // where the empty grid tells the operator an example list can be found.
    void startUp(const QString &exampleList = {});

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void layOut();
    void fitToScreen();
    void wire();
    void choose(catalogue::Command command);
    void onLoggerClicked(int row, int column);
    void openAddressDialog(int row);
    void showAbout();

    Console &m_console;
    CommandController *m_forms;
    StatusStrip *m_statusStrip;
    ReplyStatusBox *m_replyStatus;
    ReplyList *m_traceList;
    ReplyList *m_operationList;
    LoggerGrid *m_grid;
    QPointer<IpPortDialog> m_addressDialog;
    QPointer<AboutBox> m_about;
};
