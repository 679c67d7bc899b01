// The operator's commands through the window: every menu entry with the exact frame it puts on
// the wire, the forms the menus open, and what the window shows of a restart.
#include "support/console.h"

#include "app/commandcontroller.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

void type(QDialog *dialog, const char *box, const QString &text) {
    ASSERT_NE(dialog, nullptr);
    auto *edit = dialog->findChild<QLineEdit *>(box);
    if (auto *combo = dialog->findChild<QComboBox *>(box)) {
        edit = combo->lineEdit();
    }
    ASSERT_NE(edit, nullptr) << box;
    edit->setText(text);
}

void press(QDialog *dialog, const char *button) {
    ASSERT_NE(dialog, nullptr);
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
        ASSERT_EQ(sent(), "TAV@01");
    }
    QByteArray sent() { return peer.takeReceived(console->link()); }
};

TEST_F(CommandTest, EveryMenuEntrySendsItsExactFrame) {
    clock.setNow(QDateTime(QDate(2019, 3, 7), QTime(13, 25, 30), Qt::UTC));
    startConnected();
    struct Case {
        const char *action;
        QByteArray frame;
        bool yes = false;
        bool endsTheLink = false;
    };
    const Case cases[] = {
        {"Version", "TAV@07"},
        {"Ver_Parametros", "TAV@03"},
        {"Aplicar_Parametros", "TAV@12"},
        {"SYNC", "TAV@09"},
        {"SYNC_PC", QByteArray("TAV@41\x13\x03\x07\x0d\x19\x1e", 12)},
        {"Enviar_Interrogacion", "TAV@18"},
        {"ASK_GPRS", "TAV@42"},
        {"Show_Log", "TAV@17"},
        {"SYNC_time", "TAV@15"},
        {"Registrar", "TAV@30"},
        {"GPRSstart", "TAV@43"},
        {"ResetPassword", "TAV@44"},
        // Forms, the log, the lists, the keep-alive and the about box send nothing at once;
        // hidden entries cannot be chosen at all.
        {"Modificar_Parametros", ""},
        {"Rec_app1", ""},
        {"Alarm", ""},
        {"cmd_linux", ""},
        {"Activar_Log", ""},
        {"Desactivar_Log", ""},
        {"Borrar_Trace", ""},
        {"Borrar_Operacion", ""},
        {"mantencomm", ""},
        {"Abort_conn", ""},
        {"Conectar", ""},
        {"Acerca_de", ""},
        {"Enviar_Fichero", ""},
        {"Send_email", ""},
        {"Send_email_close", ""},
        {"Del_Log", ""},
        {"Reinicio", "TAV@05", true, true},
        {"Mv_app1_app", "TAV@11", true, true},
        {"LocalUpdate", "TAV@31", true, true},
        {"Desconectar", "TAV@02", false, true},
        {"Salir", "TAV@02", false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.action);
        prompter.answers = {c.yes};
        trigger(c.action);
        EXPECT_EQ(sent(), c.frame);
        if (c.endsTheLink) {
            ASSERT_TRUE(runSteps());
            ASSERT_TRUE(peer.waitForClose());
            if (main->isVisible()) {
                connectRow(1);
                sent();
            }
        }
    }
    EXPECT_FALSE(main->isVisible());
}

TEST_F(CommandTest, ParameterChangeEndToEnd) {
    startConnected();
    trigger("Ver_Parametros");
    const QByteArray listing = "{Received ask parameters}\r\n{Parameters}\r\n{LEVEL:3}\r\n"
                               "{APN:inet}\r\n";
    for (qsizetype at = 0; at < listing.size(); at += 5) {
        reply(listing.mid(at, 5));
    }
    EXPECT_TRUE(console->listing().isOpen());
    trigger("Modificar_Parametros");
    EXPECT_FALSE(console->listing().isOpen());
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
}

TEST_F(CommandTest, AFormClosesOnceTheConsoleActedAndStaysOpenWithARefusedText) {
    clock.setNow(QDateTime(QDate(2019, 3, 7), QTime(13, 25), Qt::UTC),
                 QDateTime(QDate(2019, 3, 7), QTime(14, 25)));
    startConnected("FTPSERVER:tav,pw,ftp.example.net\r\n");
    CommandController forms(*console, main.get()); // the historic form has no menu to open it
    struct Case {
        const char *form, *box;
        QString text;
        const char *ok;
        QByteArray frame;
        bool staysOpen;
    };
    const Case cases[] = {
        {"Comando_Linux", "Comand", QStringLiteral("rm \u03A9"), "OKButton", "", true},
        {"Comando_Linux", "Comand", "rm x", "OKButton", "TAV@22rm x", false},
        {"FTPData", "ftppass", "pwTAV", "FTPData_Accept", "", true},
        {"FTPData", "ftpuser", "op", "FTPData_Accept", "TAV@10op:pw@ftp.example.net", false},
        {"AlarmDialog", "Id_alarm", "abc", "OKButton", "", false},
        {"Dialog", "Param", QStringLiteral("NAME\u2603"), "OKButton", "", true},
        {"Dialog", "Param", "A", "OKButton", "TAV@04A:", true},
        {"ContadorHistoricos", "Hour1", "0", "Aceptar",
         QByteArray("TAV@23\x13\x03\x07\x00\x13\x03\x07\x0e", 14), false},
    };
    const std::map<QString, catalogue::Command> opener = {
        {"Comando_Linux", catalogue::Command::LinuxCommand},
        {"FTPData", catalogue::Command::RecApplication},
        {"AlarmDialog", catalogue::Command::TestAlarm},
        {"Dialog", catalogue::Command::ModifyParameters},
        {"ContadorHistoricos", catalogue::Command::HistoricCounter},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        forms.openForm(opener.at(c.form));
        QDialog *dialog = openDialog(*main, c.form);
        type(dialog, c.box, c.text);
        press(dialog, c.ok);
        EXPECT_EQ(sent(), c.frame);
        EXPECT_EQ(openDialog(*main, c.form) == dialog, c.staysOpen);
        if (c.staysOpen) {
            dialog->close();
        }
    }
    // Edits are not remembered: the list file's values come back.
    forms.openForm(catalogue::Command::RecApplication);
    EXPECT_EQ(openDialog(*main, "FTPData")->findChild<QLineEdit *>("ftpuser")->text(), "tav");
}

// The restart commands through the window: what the operator sees once the link is dropped.
TEST_F(CommandTest, ConfirmedRebootDropsTheLinkMarksTheRowAndShowsTheCountdown) {
    startConnected();
    EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Connected);
    prompter.answers = {false};
    trigger("Reinicio");
    EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Connected);
    prompter.answers = {true};
    trigger("Reinicio");
    EXPECT_EQ(sent(), "TAV@05");
    clock.advance(10);
    EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Selected);
    EXPECT_EQ(markColour(1), QColor(255, 0, 0));
    EXPECT_EQ(countdown().text(), "Waiting ...");
    EXPECT_TRUE(countdown().isVisible());
    clock.advance(10);
    EXPECT_EQ(countdown().text(), "Waiting ... 59");
}
