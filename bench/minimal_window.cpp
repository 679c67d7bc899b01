// The smallest Qt Widgets program that looks like the console: a main window
// with a menu bar, a list and a table, shown. The baseline for start-up time
// and memory. With MIRVANE_EXIT_AFTER_SHOW set it ends on the event-loop turn
// after its first paint, exactly as mirvane does.
#include "app/exitafterfirstpaint.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QTableWidget>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("Exit"));
    window.menuBar()->addMenu(QStringLiteral("Help"))->addAction(QStringLiteral("About"));
    auto *central = new QWidget(&window);
    auto *layout = new QHBoxLayout(central);
    layout->addWidget(new QListWidget(central));
    layout->addWidget(new QTableWidget(39, 3, central));
    window.setCentralWidget(central);
    // The console's size, so both paint the same area.
    window.resize(850, 660);
    exitAfterFirstPaintIfAsked(window);
    window.show();
    return QApplication::exec();
}
