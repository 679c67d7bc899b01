#include "support/console.h"

#include "link/link.h"
#include "loggers/loggerlist.h"
#include "loggers/ui/loggergrid.h"

#include <QDialog>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

const QByteArray kList = "FTPSERVER:ftpuser,secret,ftp.example.net\r\n"
                         "LOGGER:North weir,10.0.0.5,4001\r\n"
                         "LOGGER:South weir,10.0.0.6,4002\r\n"
                         "LOGGER:Ca\xF1o,tav-3.local,4003\r\n";

QWidget *addressDialog(MainWindow &main) {
    const auto dialogs = main.findChildren<QWidget *>("IP_Port");
    for (QWidget *dialog : dialogs) {
        if (dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

} // namespace

class LoggerGridTest : public ConsoleTest {};

TEST_F(LoggerGridTest, FillsTheGridAndTheFtpFieldsFromTheListFile) {
    writeLoggers(kList);
    start();
    const LoggerGrid &table = grid();
    EXPECT_EQ(table.rowCount(), 39);
    EXPECT_EQ(table.columnCount(), 3);
    EXPECT_EQ(table.horizontalHeaderItem(0)->text(), "Logger ID");
    EXPECT_EQ(table.horizontalHeaderItem(1)->text(), "IP");
    EXPECT_EQ(table.horizontalHeaderItem(2)->text(), "Port");
    EXPECT_EQ(table.cell(1, 0), "North weir");
    EXPECT_EQ(table.cell(2, 1), "10.0.0.6");
    EXPECT_EQ(table.cell(2, 2), "4002");
    EXPECT_EQ(table.cell(3, 0), QStringLiteral("Caño"));
    EXPECT_EQ(table.cell(4, 0), "");
    EXPECT_EQ(console->ftpAccount().user, "ftpuser");
    EXPECT_EQ(console->ftpAccount().password, "secret");
    EXPECT_EQ(console->ftpAccount().server, "ftp.example.net");
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(LoggerGridTest, WithoutAListFileTheGridIsEmptyAndNothingIsSaid) {
    start();
    for (int row = 1; row <= 39; ++row) {
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(grid().cell(row, column), "");
        }
    }
    EXPECT_TRUE(console->ftpAccount().user.isEmpty());
    EXPECT_TRUE(console->ftpAccount().server.isEmpty());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(LoggerGridTest, ClickingIdentifiersMovesTheRedMark) {
    writeLoggers(kList);
    start();
    LoggerGrid &table = grid();
    clickCell(2, 0);
    EXPECT_EQ(grid().selectedRow(), 2);
    EXPECT_EQ(::markColour(table, 2), QColor(255, 0, 0));
    clickCell(2, 0);
    EXPECT_EQ(grid().selectedRow(), 2);
    EXPECT_EQ(table.mark(2), LoggerGrid::Mark::Selected);
    clickCell(3, 0);
    EXPECT_EQ(grid().selectedRow(), 3);
    EXPECT_EQ(table.mark(3), LoggerGrid::Mark::Selected);
    EXPECT_EQ(table.mark(2), LoggerGrid::Mark::None);
    EXPECT_EQ(::markColour(table, 2), table.palette().color(QPalette::Button));
    // An empty row can be selected too.
    clickCell(20, 0);
    EXPECT_EQ(grid().selectedRow(), 20);
    EXPECT_EQ(table.mark(3), LoggerGrid::Mark::None);
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(LoggerGridTest, ClickWhileConnectedIsRefused) {
    writeLoggers(kList);
    start();
    connectRow(1);
    prompter.boxes.clear();
    clickCell(2, 0);
    clickCell(2, 1);
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[0].text, "Desconnect before");
    EXPECT_EQ(prompter.boxes[0].title, "TAVControl");
    EXPECT_EQ(prompter.boxes[0].icon, Prompter::Icon::None);
    EXPECT_EQ(grid().selectedRow(), 1);
    EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Connected);
    EXPECT_EQ(grid().mark(2), LoggerGrid::Mark::None);
    EXPECT_EQ(addressDialog(*main), nullptr);
}

TEST_F(LoggerGridTest, AddressDialogEditsTheClickedRowOnOk) {
    writeLoggers(kList);
    start();
    clickCell(1, 0);
    clickCell(2, 2);
    QWidget *dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "IP & Port configuration");
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(grid().selectedRow(), 1);
    auto *ip = dialog->findChild<QLineEdit *>("IP");
    auto *port = dialog->findChild<QLineEdit *>("Puerto");
    EXPECT_EQ(ip->text(), "10.0.0.6");
    EXPECT_EQ(port->text(), "4002");
    port->setText("5002");
    dialog->findChild<QPushButton *>("Aceptar")->click();
    EXPECT_EQ(addressDialog(*main), nullptr);
    EXPECT_EQ(grid().cell(2, 1), "10.0.0.6");
    EXPECT_EQ(grid().cell(2, 2), "5002");
    // Reopening shows the new texts.
    clickCell(2, 1);
    dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->findChild<QLineEdit *>("Puerto")->text(), "5002");
}

TEST_F(LoggerGridTest, CancelAndCloseLeaveTheRowAndOnlyOneDialogExists) {
    writeLoggers(kList);
    start();
    clickCell(1, 1);
    QWidget *dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit *>("IP")->setText("changed");
    // A click on another address cell only brings the open dialog forward.
    clickCell(2, 1);
    EXPECT_EQ(addressDialog(*main), dialog);
    EXPECT_EQ(dialog->findChild<QLineEdit *>("IP")->text(), "changed");
    dialog->findChild<QPushButton *>("Cancelar")->click();
    EXPECT_EQ(grid().cell(1, 1), "10.0.0.5");
    EXPECT_EQ(grid().cell(2, 1), "10.0.0.6");

    clickCell(1, 2);
    dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit *>("Puerto")->setText("9");
    dialog->close();
    EXPECT_EQ(grid().cell(1, 2), "4001");
}

TEST_F(LoggerGridTest, OkWritesToTheRowTheDialogWasOpenedForWhateverWasClickedSince) {
    writeLoggers(kList);
    start();
    const QString row5Host = grid().cell(5, 1);
    const QString row5Port = grid().cell(5, 2);
    clickCell(3, 1);
    QWidget *dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit *>("IP")->setText("192.0.2.33");
    clickCell(5, 0);
    clickCell(6, 2); // only brings the open dialog forward
    dialog->findChild<QPushButton *>("Aceptar")->click();
    EXPECT_EQ(grid().cell(3, 1), "192.0.2.33");
    EXPECT_EQ(grid().cell(3, 2), "4003");
    EXPECT_EQ(grid().cell(5, 1), row5Host);
    EXPECT_EQ(grid().cell(5, 2), row5Port);
    EXPECT_EQ(grid().selectedRow(), 5);
}

TEST_F(LoggerGridTest, EmptyRowOpensEmptyFieldsAndOkKeepsThemEmpty) {
    writeLoggers(kList);
    start();
    clickCell(10, 2);
    QWidget *dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->findChild<QLineEdit *>("IP")->text(), "");
    EXPECT_EQ(dialog->findChild<QLineEdit *>("Puerto")->text(), "");
    dialog->findChild<QPushButton *>("Aceptar")->click();
    EXPECT_EQ(grid().cell(10, 1), "");
    EXPECT_EQ(grid().cell(10, 2), "");
    EXPECT_EQ(grid().selectedRow(), 0);
}

TEST_F(LoggerGridTest, AHugeFieldIsCutSoNothingStallsTheWindow) {
    // Just under the list file's own size limit.
    const QByteArray host(1000 * 1000, 'h');
    writeLoggers("LOGGER:Big," + host + ",x\r\n");
    start();
    const QString kept(LoggerList::kMaxFieldBytes, 'h');
    EXPECT_EQ(grid().cell(1, 1), kept);
    clickCell(1, 0);
    trigger("Conectar");
    EXPECT_EQ(prompter.texts(), QStringList{"Error conecting logger " + kept + " (x)"});
    clickCell(1, 1);
    QWidget *dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    auto *ip = dialog->findChild<QLineEdit *>("IP");
    EXPECT_EQ(ip->text(), kept);
    ip->setText(QString(100000, 'y'));
    EXPECT_EQ(ip->text().size(), LoggerList::kMaxFieldBytes);
}

TEST_F(LoggerGridTest, Utf8ListIsShownAsWrittenAndTheFtpUserGoesOutInWindows1252) {
    writeLoggers("FTPSERVER:se\xC3\xB1or,cl\xC3\xA1ve,ftp.example.net\r\n"
                 "LOGGER:Estaci\xC3\xB3n,127.0.0.1," +
                 QByteArray::number(peer.port()) + "\r\nLOGGER:Z\xC3\xBCrich,g,2\r\n");
    start();
    EXPECT_EQ(grid().cell(1, 0), QStringLiteral("Estación"));
    EXPECT_EQ(grid().cell(2, 0), QStringLiteral("Zürich"));
    connectRow(1);
    ASSERT_EQ(peer.takeReceived(console->link()), "TAV@01");
    trigger("Rec_app1");
    QDialog *form = openDialog(*main, "FTPData");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->findChild<QLineEdit *>("ftpuser")->text(), QStringLiteral("señor"));
    EXPECT_EQ(form->findChild<QLineEdit *>("ftppass")->text(), QStringLiteral("cláve"));
    form->findChild<QPushButton *>("FTPData_Accept")->click();
    EXPECT_EQ(peer.takeReceived(console->link()), "TAV@10se\xF1or:cl\xE1ve@ftp.example.net");
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(LoggerGridTest, TabAndShiftTabLeaveTheGrid) {
    writeLoggers(kList);
    start();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    LoggerGrid &table = grid();
    for (const Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
        table.setFocus();
        table.setCurrentCell(1, 1); // a middle cell: cells are no stops on the way out
        ASSERT_TRUE(table.hasFocus());
        QTest::keyClick(&table, Qt::Key_Tab, modifier);
        const QWidget *now = QApplication::focusWidget();
        EXPECT_NE(now, &table) << modifier;
        EXPECT_TRUE(now && main->isAncestorOf(now)) << modifier;
    }
}

TEST_F(LoggerGridTest, SpaceAndEnterActOnTheCurrentCellAsAClickDoes) {
    writeLoggers(kList);
    start();
    LoggerGrid &table = grid();
    table.setCurrentCell(1, 0);
    QTest::keyClick(&table, Qt::Key_Space);
    EXPECT_EQ(table.selectedRow(), 2);
    EXPECT_EQ(table.mark(2), LoggerGrid::Mark::Selected);
    // The arrows only move the current cell, here to row 3's IP.
    QTest::keyClick(&table, Qt::Key_Down);
    QTest::keyClick(&table, Qt::Key_Right);
    EXPECT_EQ(addressDialog(*main), nullptr);
    EXPECT_EQ(table.selectedRow(), 2);
    QTest::keyClick(&table, Qt::Key_Return);
    QWidget *dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->findChild<QLineEdit *>("IP")->text(), "tav-3.local");
    EXPECT_EQ(table.selectedRow(), 2);
}

TEST_F(LoggerGridTest, CutCellTextsShowWholeInTheirTooltip) {
    const QString host = QStringLiteral("datalogger-north-weir.field-station.example.net");
    writeLoggers("LOGGER:North weir," + host.toLatin1() +
                 ",4001\r\n"
                 "LOGGER:South weir,10.0.0.6,4002\r\n");
    start();
    LoggerGrid &table = grid();
    const auto tip = [&table](int row, int column) {
        return table.QTableWidget::item(row - 1, column)->toolTip();
    };
    EXPECT_EQ(tip(1, 1), host);
    EXPECT_EQ(tip(2, 1), "");
    EXPECT_EQ(tip(1, 0), "");
    table.setCell(2, 1, host);
    EXPECT_EQ(tip(2, 1), host);
    table.setColumnWidth(1, 1000);
    EXPECT_EQ(tip(1, 1), "");
    EXPECT_EQ(tip(2, 1), "");
}

namespace {

// Contrast ratio of two colours as the web's accessibility guidelines define it.
double contrastRatio(const QColor &a, const QColor &b) {
    const auto luminance = [](const QColor &colour) {
        const auto linear = [](double c) {
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

TEST_F(LoggerGridTest, MarkTextsReadOnRedAndGreenUnderADarkPalette) {
    LoggerGrid table;
    QPalette dark = table.palette();
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Button, QColor(50, 50, 50));
    dark.setColor(QPalette::Text, Qt::white);
    table.setPalette(dark);
    const QTableWidgetItem *first = table.QTableWidget::item(2, 0);
    const auto text = [&] {
        const QVariant own = first->data(Qt::ForegroundRole);
        return own.isValid() ? own.value<QBrush>().color() : table.palette().color(QPalette::Text);
    };
    table.select(3);
    table.showConnected(3);
    ASSERT_EQ(::markColour(table, 3), QColor(0, 255, 0));
    EXPECT_GE(contrastRatio(text(), ::markColour(table, 3)), 4.5);
    table.showDisconnected();
    ASSERT_EQ(::markColour(table, 3), QColor(255, 0, 0));
    EXPECT_GE(contrastRatio(text(), ::markColour(table, 3)), 4.5);
    table.select(4);
    EXPECT_EQ(::markColour(table, 3), QColor(50, 50, 50));
    EXPECT_FALSE(first->data(Qt::ForegroundRole).isValid()); // the palette's text again
}

TEST_F(LoggerGridTest, AnEmptyGridShowsItsHintUntilACellHasText) {
    start();
    LoggerGrid &table = grid();
    QWidget *view = table.viewport();
    // Below the first row, which the text put in changes anyway.
    const int top = table.rowViewportPosition(1);
    const QRect below(0, top, view->width(), view->height() - top);
    const auto shot = [&] { return view->grab().toImage().copy(below); };
    table.setEmptyHint(QString());
    const QImage plain = shot();
    table.setEmptyHint(QStringLiteral("No loggers.txt in /home/op \u2014 the grid stays empty"));
    EXPECT_NE(shot(), plain);
    table.setCell(1, 0, QStringLiteral("North weir"));
    EXPECT_EQ(shot(), plain);
}
