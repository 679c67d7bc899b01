#include "support/console.h"

#include "console/link.h"
#include "loggers/ui/loggergrid.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QTest>

QStringList entries(const QListWidget &list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i) {
        out << list.item(i)->text();
    }
    return out;
}

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QDialog *openDialog(MainWindow &main, const char *name) {
    for (QDialog *dialog : main.findChildren<QDialog *>(name)) {
        if (dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

void ConsoleTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    clock.stepPerRead = 1;
}

void ConsoleTest::TearDown() {
    if (main) {
        main->hide();
        main.reset();
    }
}

void ConsoleTest::writeLoggers(const QByteArray &bytes) {
    QFile file(path(QStringLiteral("loggers.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void ConsoleTest::start() {
    main =
        std::make_unique<MainWindow>(ConsoleServices{&prompter, &clock, fastTimings(), workDir()});
    main->startUp();
    main->show();
}

void ConsoleTest::clickCell(int row, int column) {
    LoggerGrid &grid = main->grid();
    QTableWidgetItem *item = grid.QTableWidget::item(row - 1, column);
    ASSERT_NE(item, nullptr);
    grid.scrollToItem(item);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualItemRect(item).center());
}

void ConsoleTest::trigger(const char *action) {
    QAction *act = main->findChild<QAction *>(QLatin1String(action));
    ASSERT_NE(act, nullptr) << action;
    act->trigger();
}

bool ConsoleTest::settled(int ms) {
    return waitUntil(
        [&] { return !main->connection().isWaiting() && !main->connection().isPausing(); }, ms);
}

void ConsoleTest::connectRow(int row) {
    main->grid().setCell(row, 1, QStringLiteral("127.0.0.1"));
    main->grid().setCell(row, 2, QString::number(peer.port()));
    clickCell(row, 0);
    trigger("Conectar");
    ASSERT_TRUE(settled());
    ASSERT_TRUE(main->link().isConnected());
    ASSERT_TRUE(peer.waitForClient());
}
