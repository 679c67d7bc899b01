#include "support/console.h"

#include "commands/ui/commandcontroller.h"
#include "console/link.h"
#include "loggers/ui/loggergrid.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

void type(QDialog *dialog, const char *box, const QString &text) {
    auto *edit = dialog->findChild<QLineEdit *>(box);
    ASSERT_NE(edit, nullptr) << box;
    edit->setText(text);
}

void press(QDialog *dialog, const char *button) {
    auto *b = dialog->findChild<QPushButton *>(button);
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

} // namespace

class CommandTest : public ConsoleTest {
protected:
    void startConnected(const QByteArray &extra = {}) {
        writeLoggers(extra + "LOGGER:Weir,127.0.0.1," + QByteArray::number(peer.port()) + "\r\n");
        start();
        connectRow(1);
        ASSERT_TRUE(peer.waitForBytes(6));
        peer.clearReceived();
    }
    // What the logger received after the greeting, once it has settled.
    QByteArray sent() {
        LoopbackPeer::settle(30);
        return peer.received();
    }
    void reply(const QByteArray &bytes) {
        peer.send(bytes);
        ASSERT_TRUE(waitUntil([&] {
            LoopbackPeer::settle(5);
            return !main->replies().reading();
        }));
    }
};

TEST_F(CommandTest, ParameterChangeEndToEnd) {
    startConnected();
    trigger("Ver_Parametros");
    const QByteArray listing = "{Received ask parameters}\r\n{Parameters}\r\n{LEVEL:3}\r\n"
                               "{APN:inet}\r\n";
    for (qsizetype at = 0; at < listing.size(); at += 5) {
        reply(listing.mid(at, 5));
    }
    EXPECT_TRUE(main->listing().isOpen());
    trigger("Modificar_Parametros");
    EXPECT_FALSE(main->listing().isOpen());
    QDialog *dialog = openDialog(*main, "Dialog");
    ASSERT_NE(dialog, nullptr);
    auto *param = dialog->findChild<QComboBox *>("Param");
    ASSERT_EQ(param->count(), 3);
    EXPECT_EQ(param->itemText(0), "LEVEL");
    EXPECT_EQ(param->itemText(1), "APN");
    EXPECT_EQ(param->itemText(2), "");
    Q_EMIT param->activated(1);
    EXPECT_EQ(dialog->findChild<QLineEdit *>("Valor")->text(), "inet");
    param->setEditText("LEVEL");
    type(dialog, "Valor", "5");
    press(dialog, "OKButton");
    trigger("Aplicar_Parametros");
    EXPECT_EQ(sent(), "TAV@03TAV@04LEVEL:5TAV@12");
    EXPECT_TRUE(dialog->isVisible());
    // A second Modify only brings the open dialog forward.
    trigger("Modificar_Parametros");
    EXPECT_EQ(main->findChildren<QDialog *>("Dialog").size(), 1);
    trigger("Desconectar");
    ASSERT_TRUE(peer.waitForClose());
    EXPECT_EQ(peer.received(), "TAV@03TAV@04LEVEL:5TAV@12TAV@02");
}

TEST_F(CommandTest, ParameterOkWithoutConnectionKeepsTheDialogAndTheClient) {
    writeLoggers("LOGGER:Weir,127.0.0.1,1\r\n");
    start();
    trigger("Modificar_Parametros");
    QDialog *dialog = openDialog(*main, "Dialog");
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QComboBox *>("Param")->setEditText("X");
    press(dialog, "OKButton");
    EXPECT_EQ(prompter.texts(), QStringList{"There is no conecction"});
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(CommandTest, ASecondShorterListingLeavesNoStaleEntry) {
    startConnected();
    trigger("Ver_Parametros");
    reply("{A:1}\r\n{B:2}\r\n{C:3}\r\n");
    trigger("Ver_Parametros");
    reply("{Z:9}\r\n");
    trigger("Modificar_Parametros");
    QDialog *dialog = openDialog(*main, "Dialog");
    ASSERT_NE(dialog, nullptr);
    auto *param = dialog->findChild<QComboBox *>("Param");
    ASSERT_EQ(param->count(), 2);
    EXPECT_EQ(param->itemText(0), "Z");
    EXPECT_EQ(param->itemText(1), "");
    Q_EMIT param->activated(1);
    EXPECT_EQ(dialog->findChild<QLineEdit *>("Valor")->text(), "");
}

TEST_F(CommandTest, ListingOverflowKeepsTheFirstTwoHundredAndTheLatest) {
    startConnected();
    trigger("Ver_Parametros");
    QByteArray listing;
    for (int i = 0; i < 205; ++i) {
        listing += "{P" + QByteArray::number(i) + ":" + QByteArray::number(i) + "}\r\n";
    }
    reply(listing);
    EXPECT_EQ(main->listing().table().count(), 200);
    EXPECT_EQ(main->listing().table().name(199), "P199");
    EXPECT_EQ(main->listing().table().name(200), "P204");
    trigger("Modificar_Parametros");
    EXPECT_EQ(openDialog(*main, "Dialog")->findChild<QComboBox *>("Param")->count(), 201);
}

TEST_F(CommandTest, FtpAccountGoesOutAsOneFrame) {
    startConnected("FTPSERVER:tav:s3cr@t,ftp.example.net\r\n");
    trigger("Rec_app1");
    QDialog *form = openDialog(*main, "FTPData");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->findChild<QLineEdit *>("ftpuser")->text(), "tav");
    EXPECT_EQ(form->findChild<QLineEdit *>("ftppass")->echoMode(), QLineEdit::Password);
    press(form, "FTPData_Accept");
    EXPECT_EQ(sent(), "TAV@10tav:s3cr@t@ftp.example.net");
    EXPECT_EQ(openDialog(*main, "FTPData"), nullptr);

    peer.clearReceived();
    trigger("Rec_app1");
    form = openDialog(*main, "FTPData");
    type(form, "ftpuser", "");
    press(form, "FTPData_Accept");
    EXPECT_EQ(sent(), "TAV@10");

    peer.clearReceived();
    trigger("Rec_app1");
    form = openDialog(*main, "FTPData");
    type(form, "ftppass", "");
    type(form, "ftpserver", "");
    press(form, "FTPData_Accept");
    EXPECT_EQ(sent(), "TAV@10tav:@");
    // Edits are not remembered: the list file's values come back.
    trigger("Rec_app1");
    EXPECT_EQ(openDialog(*main, "FTPData")->findChild<QLineEdit *>("ftpserver")->text(),
              "ftp.example.net");
    EXPECT_FALSE(main->listing().isOpen());
}

TEST_F(CommandTest, FtpWithoutConnectionReportsClosesAndSendsNothing) {
    writeLoggers("FTPSERVER:u,p,s\r\n");
    start();
    trigger("Rec_app1");
    QDialog *form = openDialog(*main, "FTPData");
    ASSERT_NE(form, nullptr);
    press(form, "FTPData_Accept");
    EXPECT_EQ(prompter.texts(), QStringList{"There is no connection"});
    EXPECT_EQ(openDialog(*main, "FTPData"), nullptr);
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
}

TEST_F(CommandTest, TestAlarmFormatsOrRefusesBothFields) {
    startConnected();
    struct Case {
        QString id, code;
        QByteArray frame;
        QString message;
    };
    const std::vector<Case> cases = {
        {"12", "3", "TAV@210000001200000003", ""},
        {"99999999", "0", "TAV@219999999900000000", ""},
        {"12.6", "7", "TAV@210000001300000007", ""},
        {"100000000", "1", "", "Id debe ser entre 0 y 99999999"},
        {"-1", "1", "", "Id debe ser entre 0 y 99999999"},
        {"abc", "1", "", "Id debe ser entre 0 y 99999999"},
        {"", "", "", "Id debe ser entre 0 y 99999999"},
        {"1", "x1", "", "Alarma debe ser entre 0 y 99999999"},
    };
    for (const Case &c : cases) {
        prompter.boxes.clear();
        peer.clearReceived();
        trigger("Alarm");
        QDialog *dialog = openDialog(*main, "AlarmDialog");
        ASSERT_NE(dialog, nullptr);
        type(dialog, "Id_alarm", c.id);
        type(dialog, "Cod_alarm", c.code);
        press(dialog, "OKButton");
        EXPECT_EQ(sent(), c.frame) << c.id.toStdString();
        EXPECT_EQ(prompter.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(openDialog(*main, "AlarmDialog"), nullptr);
    }
    EXPECT_EQ(QByteArray("TAV@210000001200000003").size(), 22);
}

TEST_F(CommandTest, LinuxCommandGoesOutExactlyAsTyped) {
    startConnected();
    const std::vector<std::pair<QString, QByteArray>> cases = {
        {"ls -l", "TAV@22ls -l"},
        {"", "TAV@22"},
        {"  echo  a ", "TAV@22  echo  a "},
        {QStringLiteral("echo año"), "TAV@22echo a\xF1o"},
    };
    for (const auto &[line, frame] : cases) {
        peer.clearReceived();
        trigger("cmd_linux");
        QDialog *dialog = openDialog(*main, "Comando_Linux");
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        type(dialog, "Comand", line);
        press(dialog, "OKButton");
        EXPECT_EQ(sent(), frame);
    }
    EXPECT_EQ(QByteArray("TAV@22ls -l").size(), 11);
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(CommandTest, TextOutsideTheCodePageIsRefusedNotReplacedAndStaysToBeCorrected) {
    startConnected("FTPSERVER:op,pw,ftp.example.net\r\n");
    trigger("cmd_linux");
    QDialog *dialog = openDialog(*main, "Comando_Linux");
    type(dialog, "Comand", QStringLiteral("rm \u03A9"));
    press(dialog, "OKButton");
    EXPECT_EQ(sent(), "");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_TRUE(prompter.boxes[0].text.contains(QStringLiteral("\u03A9")));
    ASSERT_EQ(openDialog(*main, "Comando_Linux"), dialog);
    EXPECT_EQ(dialog->findChild<QLineEdit *>("Comand")->text(), QStringLiteral("rm \u03A9"));
    type(dialog, "Comand", "rm x");
    press(dialog, "OKButton");
    EXPECT_EQ(sent(), "TAV@22rm x");
    EXPECT_EQ(openDialog(*main, "Comando_Linux"), nullptr);
    peer.clearReceived();

    prompter.boxes.clear();
    trigger("Rec_app1");
    dialog = openDialog(*main, "FTPData");
    type(dialog, "ftppass", QStringLiteral("p\u2603"));
    press(dialog, "FTPData_Accept");
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(prompter.boxes.size(), 1u);
    ASSERT_EQ(openDialog(*main, "FTPData"), dialog);
    EXPECT_EQ(dialog->findChild<QLineEdit *>("ftppass")->text(), QStringLiteral("p\u2603"));

    prompter.boxes.clear();
    trigger("Modificar_Parametros");
    dialog = openDialog(*main, "Dialog");
    dialog->findChild<QComboBox *>("Param")->setEditText(QStringLiteral("NAME\u2603"));
    type(dialog, "Valor", "1");
    press(dialog, "OKButton");
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

// "TAV@" in an argument would reach the logger as a command of its own: refused by field,
// nothing sent, the form left open with what it holds.
TEST_F(CommandTest, TextThatWouldStartAnotherCommandIsRefusedAndStaysToBeCorrected) {
    startConnected("FTPSERVER:user,pwTAV@05secret,ftp.x\r\n");
    const QString refusal = QStringLiteral("The field \"%1\" would send \"TAV@\", which the "
                                           "logger takes for the start of another command; "
                                           "nothing was sent");
    const struct {
        const char *menu, *form, *ok, *box;
        QString text; // typed into box; none for the list file's account as it stands
        const char *field;
    } cases[] = {
        {"Rec_app1", "FTPData", "FTPData_Accept", "ftppass", {}, "Password"},
        {"Rec_app1", "FTPData", "FTPData_Accept", "ftppass", "pwTAV", "Password"},
        {"Rec_app1", "FTPData", "FTPData_Accept", "ftpuser", "uTAV@05", "User"},
        {"cmd_linux", "Comando_Linux", "OKButton", "Comand", "ls;TAV@05", "Comand"},
        {"Modificar_Parametros", "Dialog", "OKButton", "Param", "TAV@05", "Parámeter"},
        {"Modificar_Parametros", "Dialog", "OKButton", "Valor", "1TAV@05", "Value"},
    };
    for (const auto &c : cases) {
        prompter.boxes.clear();
        trigger(c.menu);
        QDialog *dialog = openDialog(*main, c.form);
        ASSERT_NE(dialog, nullptr) << c.form;
        auto *edit = dialog->findChild<QLineEdit *>(c.box);
        if (auto *combo = dialog->findChild<QComboBox *>(c.box)) {
            edit = combo->lineEdit();
        }
        ASSERT_NE(edit, nullptr) << c.box;
        const QString held = c.text.isNull() ? edit->text() : c.text;
        edit->setText(held);
        press(dialog, c.ok);
        EXPECT_EQ(sent(), "") << c.field;
        EXPECT_EQ(prompter.texts(), QStringList{refusal.arg(QString::fromUtf8(c.field))});
        ASSERT_EQ(prompter.boxes.size(), 1u) << c.field;
        EXPECT_EQ(prompter.boxes[0].icon, Prompter::Icon::Warning);
        EXPECT_EQ(openDialog(*main, c.form), dialog) << c.field;
        EXPECT_EQ(edit->text(), held) << c.field;
        dialog->close();
    }
    // Corrected, the form sends.
    trigger("Rec_app1");
    type(openDialog(*main, "FTPData"), "ftppass", "pw");
    press(openDialog(*main, "FTPData"), "FTPData_Accept");
    EXPECT_EQ(sent(), "TAV@10user:pw@ftp.x");
}

TEST_F(CommandTest, LinuxCommandAndAlarmWithoutConnectionSayTheirOwnWords) {
    start();
    trigger("cmd_linux");
    type(openDialog(*main, "Comando_Linux"), "Comand", "ls");
    press(openDialog(*main, "Comando_Linux"), "OKButton");
    trigger("Alarm");
    QDialog *alarm = openDialog(*main, "AlarmDialog");
    type(alarm, "Id_alarm", "1");
    type(alarm, "Cod_alarm", "2");
    press(alarm, "OKButton");
    EXPECT_EQ(prompter.texts(), (QStringList{"There is no conenction", "There is no connection"}));
    // Cancel sends nothing and says nothing.
    trigger("cmd_linux");
    press(openDialog(*main, "Comando_Linux"), "CancelButton");
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

TEST_F(CommandTest, HistoricCounterSendsFourteenBytesFromThePcsDate) {
    clock.setNow(QDateTime(QDate(2019, 3, 7), QTime(13, 25), Qt::UTC),
                 QDateTime(QDate(2019, 3, 7), QTime(14, 25)));
    startConnected();
    EXPECT_FALSE(main->findChild<QAction *>("Contador_Historicos")->isEnabled());
    main->commands().openHistoricCounter();
    QDialog *dialog = openDialog(*main, "ContadorHistoricos");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    press(dialog, "Aceptar");
    EXPECT_EQ(sent(), QByteArray("TAV@23\x13\x03\x07\x00\x13\x03\x07\x0e", 14));

    peer.clearReceived();
    main->commands().openHistoricCounter();
    dialog = openDialog(*main, "ContadorHistoricos");
    type(dialog, "Hour1", "30");
    type(dialog, "Hour2", "10");
    type(dialog, "day2", "13");
    press(dialog, "Aceptar");
    EXPECT_EQ(sent(), QByteArray("TAV@23\x13\x03\x07\x1e\x13\x03\x0d\x0a", 14));
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(CommandTest, HistoricCounterRefusesWhatOneByteCannotHold) {
    startConnected();
    const std::vector<std::tuple<const char *, QString, QString>> cases = {
        {"Hour2", "24", QStringLiteral("Hora máxima 23")},
        {"year1", "1999",
         QStringLiteral("Valor no válido en Desde Año: debe ser un número entero "
                        "entre 2000 y 2255")},
        {"day2", "abc",
         QStringLiteral("Valor no válido en Hasta Día: debe ser un número entero "
                        "entre 0 y 255")},
    };
    for (const auto &[box, text, message] : cases) {
        prompter.boxes.clear();
        main->commands().openHistoricCounter();
        QDialog *dialog = openDialog(*main, "ContadorHistoricos");
        type(dialog, box, text);
        press(dialog, "Aceptar");
        EXPECT_EQ(prompter.texts(), QStringList{message});
        EXPECT_EQ(openDialog(*main, "ContadorHistoricos"), nullptr);
    }
    EXPECT_EQ(sent(), "");
}

TEST_F(CommandTest, SyncWithPcSendsOneReadingOfTheUtcClock) {
    clock.setNow(QDateTime(QDate(2019, 3, 7), QTime(13, 25, 30), Qt::UTC));
    startConnected();
    main->listing().begin();
    trigger("SYNC_PC");
    EXPECT_EQ(sent(), QByteArray("TAV@41\x13\x03\x07\x0d\x19\x1e", 12));
    EXPECT_FALSE(main->listing().isOpen());

    peer.clearReceived();
    clock.setNow(QDateTime(QDate(2010, 10, 13), QTime(10, 13, 10), Qt::UTC));
    trigger("SYNC_PC");
    EXPECT_EQ(sent(), QByteArray("TAV@41\x0a\x0a\x0d\x0a\x0d\x0a", 12));

    peer.clearReceived();
    clock.setNow(QDateTime(QDate(1999, 12, 31), QTime(23, 0), Qt::UTC));
    trigger("SYNC_PC");
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_TRUE(main->link().isConnected());
}

TEST_F(CommandTest, SyncWithPcWithoutConnectionReportsAndCloses) {
    start();
    main->listing().begin();
    trigger("SYNC_PC");
    EXPECT_EQ(prompter.texts(), QStringList{"There is no connection"});
    EXPECT_FALSE(main->listing().isOpen());
}

// The restart commands through the window: what the operator sees once the link is dropped.
TEST_F(CommandTest, ConfirmedRebootDropsTheLinkMarksTheRowAndShowsTheCountdown) {
    startConnected();
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Connected);
    prompter.answers = {false};
    trigger("Reinicio");
    EXPECT_EQ(prompter.texts(), QStringList{"Warning!\r\nConfirm reboot"});
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Connected);
    prompter.answers = {true};
    trigger("Reinicio");
    ASSERT_TRUE(settled());
    EXPECT_EQ(sent(), "TAV@05");
    EXPECT_EQ(main->link().state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(main->grid().mark(1), LoggerGrid::Mark::Selected);
    EXPECT_EQ(main->grid().markColour(1), QColor(255, 0, 0));
    EXPECT_EQ(main->statusStrip().countdown().text(), "Waiting ...");
    EXPECT_TRUE(main->statusStrip().countdown().isVisible());
    EXPECT_TRUE(main->findChild<QTimer *>("Timer1")->isActive());
    EXPECT_EQ(main->findChild<QTimer *>("Timer1")->interval(), 1000);
}
