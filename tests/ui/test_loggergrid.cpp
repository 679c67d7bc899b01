#include "support/console.h"

#include "console/link.h"
#include "loggers/loggerlist.h"
#include "loggers/ui/loggergrid.h"

#include <QElapsedTimer>

#include <QLineEdit>
#include <QPushButton>

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
    const LoggerGrid &grid = main->grid();
    EXPECT_EQ(grid.rowCount(), 39);
    EXPECT_EQ(grid.columnCount(), 3);
    EXPECT_EQ(grid.horizontalHeaderItem(0)->text(), "Logger ID");
    EXPECT_EQ(grid.horizontalHeaderItem(1)->text(), "IP");
    EXPECT_EQ(grid.horizontalHeaderItem(2)->text(), "Port");
    EXPECT_EQ(grid.cell(1, 0), "North weir");
    EXPECT_EQ(grid.cell(2, 1), "10.0.0.6");
    EXPECT_EQ(grid.cell(2, 2), "4002");
    EXPECT_EQ(grid.cell(3, 0), QStringLiteral("Caño"));
    EXPECT_EQ(grid.cell(4, 0), "");
    EXPECT_EQ(main->commands().ftpAccount().user, "ftpuser");
    EXPECT_EQ(main->commands().ftpAccount().password, "secret");
    EXPECT_EQ(main->commands().ftpAccount().server, "ftp.example.net");
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(LoggerGridTest, WithoutAListFileTheGridIsEmptyAndNothingIsSaid) {
    start();
    for (int row = 1; row <= 39; ++row) {
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(main->grid().cell(row, column), "");
        }
    }
    EXPECT_TRUE(main->commands().ftpAccount().user.isEmpty());
    EXPECT_TRUE(main->commands().ftpAccount().server.isEmpty());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(LoggerGridTest, ClickingIdentifiersMovesTheRedMark) {
    writeLoggers(kList);
    start();
    LoggerGrid &grid = main->grid();
    main->listing().begin();
    clickCell(2, 0);
    EXPECT_EQ(main->grid().selectedRow(), 2);
    EXPECT_FALSE(main->listing().isOpen());
    EXPECT_EQ(grid.markColour(2), QColor(255, 0, 0));
    clickCell(2, 0);
    EXPECT_EQ(main->grid().selectedRow(), 2);
    EXPECT_EQ(grid.mark(2), LoggerGrid::Mark::Selected);
    clickCell(3, 0);
    EXPECT_EQ(main->grid().selectedRow(), 3);
    EXPECT_EQ(grid.mark(3), LoggerGrid::Mark::Selected);
    EXPECT_EQ(grid.mark(2), LoggerGrid::Mark::None);
    EXPECT_EQ(grid.markColour(2), grid.palette().color(QPalette::Button));
    // An empty row can be selected too.
    clickCell(20, 0);
    EXPECT_EQ(main->grid().selectedRow(), 20);
    EXPECT_EQ(grid.mark(3), LoggerGrid::Mark::None);
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(LoggerGridTest, ClickWhileConnectedIsRefused) {
    writeLoggers(kList);
    start();
    connectRow(1);
    prompter.boxes.clear();
    main->listing().begin();
    clickCell(2, 0);
    clickCell(2, 1);
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[0].text, "Desconnect before");
    EXPECT_EQ(prompter.boxes[0].title, "TAVControl");
    EXPECT_EQ(prompter.boxes[0].icon, Prompter::Icon::None);
    EXPECT_EQ(main->grid().selectedRow(), 1);
    EXPECT_FALSE(main->listing().isOpen());
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Connected);
    EXPECT_EQ(main->grid().mark(2), LoggerGrid::Mark::None);
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
    EXPECT_EQ(main->grid().selectedRow(), 1);
    auto *ip = dialog->findChild<QLineEdit *>("IP");
    auto *port = dialog->findChild<QLineEdit *>("Puerto");
    EXPECT_EQ(ip->text(), "10.0.0.6");
    EXPECT_EQ(port->text(), "4002");
    port->setText("5002");
    dialog->findChild<QPushButton *>("Aceptar")->click();
    EXPECT_EQ(addressDialog(*main), nullptr);
    EXPECT_EQ(main->grid().cell(2, 1), "10.0.0.6");
    EXPECT_EQ(main->grid().cell(2, 2), "5002");
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
    EXPECT_EQ(main->grid().cell(1, 1), "10.0.0.5");
    EXPECT_EQ(main->grid().cell(2, 1), "10.0.0.6");

    clickCell(1, 2);
    dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit *>("Puerto")->setText("9");
    dialog->close();
    EXPECT_EQ(main->grid().cell(1, 2), "4001");
}

TEST_F(LoggerGridTest, OkWritesToTheRowTheDialogWasOpenedForWhateverWasClickedSince) {
    writeLoggers(kList);
    start();
    const QString row5Host = main->grid().cell(5, 1);
    const QString row5Port = main->grid().cell(5, 2);
    clickCell(3, 1);
    QWidget *dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit *>("IP")->setText("192.0.2.33");
    clickCell(5, 0);
    clickCell(6, 2); // only brings the open dialog forward
    dialog->findChild<QPushButton *>("Aceptar")->click();
    EXPECT_EQ(main->grid().cell(3, 1), "192.0.2.33");
    EXPECT_EQ(main->grid().cell(3, 2), "4003");
    EXPECT_EQ(main->grid().cell(5, 1), row5Host);
    EXPECT_EQ(main->grid().cell(5, 2), row5Port);
    EXPECT_EQ(main->grid().selectedRow(), 5);
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
    EXPECT_EQ(main->grid().cell(10, 1), "");
    EXPECT_EQ(main->grid().cell(10, 2), "");
    EXPECT_EQ(main->grid().selectedRow(), 0);
}

TEST_F(LoggerGridTest, AHugeFieldIsCutSoNothingStallsTheWindow) {
    // Just under the list file's own size limit.
    const QByteArray host(1000 * 1000, 'h');
    writeLoggers("LOGGER:Big," + host + ",x\r\n");
    QElapsedTimer took;
    took.start();
    start();
    const QString kept(LoggerList::kMaxFieldBytes, 'h');
    EXPECT_EQ(main->grid().cell(1, 1), kept);
    clickCell(1, 0);
    trigger("Conectar");
    ASSERT_TRUE(settled(5000));
    EXPECT_EQ(prompter.texts(), QStringList{"Error conecting logger " + kept + " (x)"});
    clickCell(1, 1);
    QWidget *dialog = addressDialog(*main);
    ASSERT_NE(dialog, nullptr);
    auto *ip = dialog->findChild<QLineEdit *>("IP");
    EXPECT_EQ(ip->text(), kept);
    ip->setText(QString(100000, 'y'));
    EXPECT_EQ(ip->text().size(), LoggerList::kMaxFieldBytes);
    EXPECT_LT(took.elapsed(), 3000);
}
