#include "support/console.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
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

QDialog *openDialog(QWidget &main, const char *name) {
    for (QDialog *dialog : main.findChildren<QDialog *>(name)) {
        if (dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

QColor markColour(const LoggerGrid &grid, int row) {
    const QTableWidgetItem *item = grid.QTableWidget::item(row - 1, 0);
    return item ? item->background().color() : QColor();
}

namespace {

template <typename Widget> Widget &part(const std::unique_ptr<MainWindow> &main, const char *name) {
    auto *widget = main->findChild<Widget *>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return *widget;
}

} // namespace

void ConsoleTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
}

void ConsoleTest::TearDown() {
    if (main) {
        main->hide();
        main.reset();
    }
    console.reset();
}

void ConsoleTest::writeLoggers(const QByteArray &bytes) {
    QFile file(path(QStringLiteral("loggers.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void ConsoleTest::start() {
    console = std::make_unique<Console>(prompter, clock, workDir());
    main = std::make_unique<MainWindow>(*console, prompter);
    main->startUp();
    main->show();
}

LoggerGrid &ConsoleTest::grid() const {
    return part<LoggerGrid>(main, "TAVs");
}

ReplyList &ConsoleTest::traceList() const {
    return part<ReplyList>(main, "List1");
}

ReplyList &ConsoleTest::operationList() const {
    return part<ReplyList>(main, "List2");
}

ReplyStatusBox &ConsoleTest::replyStatus() const {
    return part<ReplyStatusBox>(main, "Frame1");
}

QLabel &ConsoleTest::countdown() const {
    return part<QLabel>(main, "Cuenta");
}

QProgressBar &ConsoleTest::waitProgress() const {
    return part<QProgressBar>(main, "ProgressBar1");
}

QLabel &ConsoleTest::logCaption() const {
    return part<QLabel>(main, "Log_Size");
}

QCheckBox &ConsoleTest::displaySwitch() const {
    return part<QCheckBox>(main, "Check_Display");
}

void ConsoleTest::clickCell(int row, int column) {
    LoggerGrid &table = grid();
    QTableWidgetItem *item = table.QTableWidget::item(row - 1, column);
    ASSERT_NE(item, nullptr);
    table.scrollToItem(item);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualItemRect(item).center());
}

void ConsoleTest::trigger(const char *action) {
    QAction *act = main->findChild<QAction *>(QLatin1String(action));
    ASSERT_NE(act, nullptr) << action;
    act->trigger();
}

bool ConsoleTest::runSteps(qint64 most) {
    const Connection &connection = console->connection();
    for (qint64 spent = 0; connection.isWaiting() || connection.isPausing(); ++spent) {
        if (spent == most) {
            return false;
        }
        clock.advance(1);
    }
    return true;
}

bool ConsoleTest::waitEnded(int ms) {
    return waitUntil([&] { return !console->connection().isWaiting(); }, ms);
}

bool ConsoleTest::allRead() {
    // On loopback what the peer has handed to the kernel is at the console's socket at once.
    return peer.unsent() == 0 && !console->link().moreOnTheWay() && !console->replies().reading();
}

void ConsoleTest::reply(const QByteArray &bytes, int ms) {
    peer.send(bytes);
    ASSERT_TRUE(waitUntil([&] { return allRead(); }, ms)) << bytes.left(40).toStdString();
}

void ConsoleTest::connectRow(int row) {
    grid().setCell(row, 1, QStringLiteral("127.0.0.1"));
    grid().setCell(row, 2, QString::number(peer.port()));
    clickCell(row, 0);
    trigger("Conectar");
    // The wait ends the moment the link is up; no time has to pass.
    ASSERT_TRUE(waitEnded());
    ASSERT_TRUE(console->link().isConnected());
    ASSERT_TRUE(peer.waitForClient());
}
