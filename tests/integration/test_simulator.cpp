// The console driven as an operator drives it, against a real tav-sim process
// on a loopback port: every frame checked as the simulator read it, every
// answer checked as the console shows it.

#include "integration/simprocess.h"
#include "support/console.h"
#include "support/printers.h"

#include "link/connection.h"
#include "link/link.h"
#include "loggers/ui/loggergrid.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimeZone>
#include <QTimer>

namespace {

const SimProcess::Parameters &kFactoryParameters = SimProcess::factoryParameters();

} // namespace

// A started console with one simulated logger, North, in grid row 1.
class SimulatorTest : public ConsoleTest {
protected:
    void TearDown() override {
        ConsoleTest::TearDown();
        sim.stop();
    }
    // No unsolicited trace lines, so every list can be checked exactly; a short
    // pause ends the frames that have no length of their own.
    void startWith(const QStringList &simArgs = {}) {
        ASSERT_TRUE(sim.start(QStringList{"--trace-interval", "0", "--idle-ms", "60"} + simArgs))
            << sim.error().toStdString();
        writeLoggers("LOGGER:North,127.0.0.1," + QByteArray::number(sim.port()) + "\r\n");
        start();
    }
    // Grid click on the identifier, then Connect, as the operator does it.
    void connectToSim() {
        clickCell(1, 0);
        ASSERT_EQ(grid().selectedRow(), 1);
        ASSERT_EQ(grid().mark(1), LoggerGrid::Mark::Selected);
        const qsizetype before = operation().size();
        trigger("Conectar");
        ASSERT_TRUE(waitUntil([&] { return !console->connection().isWaiting(); }));
        ASSERT_TRUE(console->link().isConnected());
        EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Connected);
        ASSERT_TRUE(waitForOperation("Welcome to TAV-3 logger North", before));
    }
    QStringList operation() const { return entries(operationList()); }
    QStringList trace() const { return entries(traceList()); }
    // Waits until `text` is shown in the operation list at or after entry `from`.
    bool waitForOperation(const QString &text, qsizetype from, int ms = 10000) {
        return waitUntil([&] { return operation().indexOf(text, from) >= 0; }, ms);
    }
    // The operator opens the name list and clicks the entry `name`.
    static void pick(QComboBox *combo, const QString &name) {
        const int index = combo->findText(name, Qt::MatchExactly);
        ASSERT_GE(index, 0) << name.toStdString();
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        ASSERT_TRUE(waitUntil([&] { return view->isVisible(); }));
        const QModelIndex item = view->model()->index(index, 0);
        view->scrollTo(item);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
        ASSERT_TRUE(waitUntil([&] { return !view->isVisible(); }));
        ASSERT_EQ(combo->currentText(), name);
    }
    static void typeInto(QLineEdit *edit, const QString &text) {
        edit->setFocus();
        edit->clear();
        for (const QChar ch : text) {
            if (ch.unicode() < 0x80) {
                QTest::keyClick(edit, static_cast<char>(ch.unicode()));
            } else {
                // No key code for it on the test keyboard: the typed text alone.
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
            }
        }
        ASSERT_EQ(edit->text(), text);
    }
    void expectTable(const std::vector<std::pair<QByteArray, QByteArray>> &expected) {
        ASSERT_EQ(console->listing().table().count(), static_cast<int>(expected.size()));
        for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
            EXPECT_EQ(console->listing().table().name(i), expected[i].first) << i;
            EXPECT_EQ(console->listing().table().value(i), expected[i].second) << i;
        }
        EXPECT_EQ(console->listing().table().name(console->listing().table().count()), "");
    }

    SimProcess sim;
};

// ---------------------------------------------------------------------------
// The road of one parameter change, with the replies whole and cut at random
// places: a line split between arrivals must still be one entry and one
// parameter.

// How the simulator writes its replies: whole, or in pieces.
struct ReplyCut {
    const char *name;
    QStringList simArgs;
    bool cut; // the listing reaches the console in many arrivals
};

void PrintTo(const ReplyCut &cut, std::ostream *out) {
    *out << cut.name;
}

class ParameterRoadTest : public SimulatorTest, public ::testing::WithParamInterface<ReplyCut> {};

TEST_P(ParameterRoadTest, ListModifyApplyListDisconnect) {
    startWith(GetParam().simArgs);
    connectToSim();

    // List: every parameter line of the answer lands in the table.
    int arrivals = 0;
    const QMetaObject::Connection counting = QObject::connect(
        &console->link(), &Link::readyRead, &console->link(), [&arrivals] { ++arrivals; });
    qsizetype from = operation().size();
    trigger("Ver_Parametros");
    EXPECT_TRUE(console->listing().isOpen());
    ASSERT_TRUE(waitForOperation("End of list", from));
    EXPECT_EQ(operation().mid(from), SimProcess::listingLines(kFactoryParameters));
    ASSERT_GE(console->listing().table().count(), 20);
    expectTable(kFactoryParameters);
    EXPECT_TRUE(trace().isEmpty());
    // Otherwise this case would not test what it claims to.
    if (GetParam().cut) {
        EXPECT_GT(arrivals, 10);
    }
    QObject::disconnect(counting);

    // Modify: the dialog offers the names collected, plus the next empty slot.
    trigger("Modificar_Parametros");
    EXPECT_FALSE(console->listing().isOpen());
    QDialog *dialog = openDialog(*main, "Dialog");
    ASSERT_NE(dialog, nullptr);
    auto *param = dialog->findChild<QComboBox *>("Param");
    auto *valor = dialog->findChild<QLineEdit *>("Valor");
    auto *ok = dialog->findChild<QPushButton *>("OKButton");
    ASSERT_TRUE(param && valor && ok);
    ASSERT_EQ(param->count(), static_cast<int>(kFactoryParameters.size()) + 1);
    for (int i = 0; i < static_cast<int>(kFactoryParameters.size()); ++i) {
        EXPECT_EQ(param->itemText(i), QString::fromLatin1(kFactoryParameters[i].first));
    }
    EXPECT_EQ(param->itemText(param->count() - 1), "");
    EXPECT_EQ(valor->text(), "");

    // Two changes: a number, and a text with blanks and a colon (only the
    // first colon of the frame separates name and value).
    const struct {
        QString name;
        QString shown;
        QString typed;
    } changes[] = {{"LEVEL", "3", "7"}, {"SITE_NAME", "North", "Weir: lower gate"}};
    for (const auto &change : changes) {
        pick(param, change.name);
        EXPECT_EQ(valor->text(), change.shown) << change.name.toStdString();
        typeInto(valor, change.typed);
        from = operation().size();
        QTest::mouseClick(ok, Qt::LeftButton);
        ASSERT_TRUE(waitForOperation(
            "Parameter " + change.name + " set to " + change.typed + ", pending apply", from))
            << operation().mid(from).join('|').toStdString();
        EXPECT_TRUE(dialog->isVisible());
    }

    from = operation().size();
    trigger("Aplicar_Parametros");
    ASSERT_TRUE(waitForOperation("Parameters applied: 2", from));

    // List again: the new values come back from the logger into the table.
    auto changed = kFactoryParameters;
    changed[2].second = "7";
    changed[4].second = "Weir: lower gate";
    from = operation().size();
    trigger("Ver_Parametros");
    ASSERT_TRUE(waitForOperation("End of list", from));
    EXPECT_EQ(operation().mid(from), SimProcess::listingLines(changed));
    expectTable(changed);

    // The open dialog keeps its snapshot; a new one offers the new values.
    QTest::mouseClick(dialog->findChild<QPushButton *>("CancelButton"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return openDialog(*main, "Dialog") == nullptr; }));
    trigger("Modificar_Parametros");
    dialog = openDialog(*main, "Dialog");
    ASSERT_NE(dialog, nullptr);
    pick(dialog->findChild<QComboBox *>("Param"), "SITE_NAME");
    EXPECT_EQ(dialog->findChild<QLineEdit *>("Valor")->text(), "Weir: lower gate");

    trigger("Desconectar");
    ASSERT_TRUE(runSteps(15000));
    EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Selected);
    ASSERT_TRUE(sim.waitForLog("] connection closed"));
    // The frames exactly as the logger cut them from the stream.
    EXPECT_EQ(sim.frames(), (QList<QByteArray>{"TAV@01", "TAV@03", "TAV@04LEVEL:7",
                                               "TAV@04SITE_NAME:Weir: lower gate", "TAV@12",
                                               "TAV@03", "TAV@02"}));
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ParameterRoadTest,
    ::testing::Values(ReplyCut{"Whole", {}, false},
                      ReplyCut{"RandomSeed1", {"--random-chunks", "1"}, true},
                      ReplyCut{"RandomSeed7", {"--random-chunks", "7"}, true},
                      ReplyCut{"RandomSeed4242", {"--random-chunks", "4242"}, true},
                      ReplyCut{"ByteByByte", {"--chunk", "1", "--chunk-gap", "1"}, true}),
    [](const ::testing::TestParamInfo<ReplyCut> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------

TEST_F(SimulatorTest, VersionIsAnsweredInTheOperationList) {
    startWith();
    connectToSim();
    const qsizetype from = operation().size();
    trigger("Version");
    ASSERT_TRUE(waitForOperation("Version TAV-3 firmware 4.2.1 (sim)", from));
    EXPECT_EQ(operation(),
              (QStringList{"Welcome to TAV-3 logger North", "Version TAV-3 firmware 4.2.1 (sim)"}));
    EXPECT_EQ(console->listing().table().count(), 0);
    EXPECT_EQ(sim.frames(), (QList<QByteArray>{"TAV@01", "TAV@07"}));
}

// The PC clock goes out as UTC in six binary fields; the logger decodes them by
// length, so fields equal to LF, CR or NUL must arrive unharmed.
TEST_F(SimulatorTest, SyncWithPcSetsTheLoggersClockToThePcsUtc) {
    startWith();
    connectToSim();
    const struct {
        QDateTime now;
        QByteArray frame; // as the simulator logs it
        QString reply;
    } cases[] = {
        {QDateTime(QDate(2019, 3, 7), QTime(13, 25, 30), Qt::UTC), "TAV@41 13 03 07 0d 19 1e",
         "Clock set to 2019-03-07 13:25:30 UTC"},
        {QDateTime(QDate(2010, 10, 13), QTime(10, 13, 10), Qt::UTC), "TAV@41 0a 0a 0d 0a 0d 0a",
         "Clock set to 2010-10-13 10:13:10 UTC"},
        {QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0), Qt::UTC), "TAV@41 00 01 01 00 00 00",
         "Clock set to 2000-01-01 00:00:00 UTC"},
        {QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 999), Qt::UTC), "TAV@41 18 02 1d 17 3b 3b",
         "Clock set to 2024-02-29 23:59:59 UTC"},
        {QDateTime(QDate(2255, 12, 31), QTime(23, 59, 59), Qt::UTC), "TAV@41 ff 0c 1f 17 3b 3b",
         "Clock set to 2255-12-31 23:59:59 UTC"},
        // A PC two hours east of Greenwich, just after its midnight: the day before in UTC.
        {QDateTime(QDate(2019, 3, 7), QTime(1, 0, 5), QTimeZone(7200)), "TAV@41 13 03 06 17 00 05",
         "Clock set to 2019-03-06 23:00:05 UTC"},
    };
    QList<QByteArray> frames{"TAV@01"};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply.toStdString());
        clock.setNow(c.now);
        const qsizetype from = operation().size();
        trigger("SYNC_PC");
        ASSERT_TRUE(waitForOperation(c.reply, from));
        EXPECT_EQ(operation().mid(from), QStringList{c.reply});
        frames << c.frame;
    }
    EXPECT_EQ(sim.frames(), frames);
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
}

// The simulator echoes a command line and never runs it; the line must reach
// it byte for byte, 8-bit characters in the console's code page included.
TEST_F(SimulatorTest, LinuxCommandIsEchoed) {
    startWith();
    connectToSim();
    const struct {
        QString typed;
        QByteArray frame; // as the simulator logs it
    } cases[] = {
        {"ls -l /var/log | tail -n 3", "TAV@22ls -l /var/log | tail -n 3"},
        {"uptime", "TAV@22uptime"},
        // The euro sign's byte 80 is a C1 control to a terminal: the log shows it escaped.
        {QString::fromUtf8("echo año 5€ > /tmp/x"), "TAV@22echo a\xF1o 5\\x80 > /tmp/x"},
    };
    QList<QByteArray> frames{"TAV@01"};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        trigger("cmd_linux");
        QDialog *dialog = openDialog(*main, "Comando_Linux");
        ASSERT_NE(dialog, nullptr);
        auto *line = dialog->findChild<QLineEdit *>("Comand");
        ASSERT_NE(line, nullptr);
        typeInto(line, c.typed);
        const qsizetype from = operation().size();
        QTest::mouseClick(dialog->findChild<QPushButton *>("OKButton"), Qt::LeftButton);
        ASSERT_TRUE(waitForOperation("(simulated, not run)", from));
        EXPECT_EQ(operation().mid(from), (QStringList{"$ " + c.typed, "(simulated, not run)"}));
        EXPECT_TRUE(waitUntil([&] { return openDialog(*main, "Comando_Linux") == nullptr; }));
        frames << c.frame;
    }
    EXPECT_EQ(sim.frames(), frames);
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
}

// Reboot: the console sends it, drops the link and counts down; while the
// logger restarts it cannot be reached, and afterwards it can.
TEST_F(SimulatorTest, RebootDropsTheLinkCountsDownAndTheLoggerComesBack) {
    startWith({"--restart-seconds", "1.5"});
    connectToSim();

    prompter.answers = {true};
    trigger("Reinicio");
    // The logger closes its side within about 100 ms of real time: fake time stands still
    // until it has, then the console's two half-second pauses run out.
    ASSERT_TRUE(sim.waitForLog("restarting: unreachable for 1.5 s")) << sim.log().toStdString();
    clock.advance(10);

    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "Warning!\r\nConfirm reboot");
    EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Selected);
    EXPECT_EQ(operation(), (QStringList{"Welcome to TAV-3 logger North", "Reboot in progress"}));
    EXPECT_TRUE(countdown().isVisible());
    EXPECT_EQ(countdown().text(), "Waiting ...");
    EXPECT_EQ(console->connection().countdownLeft(), 60);
    EXPECT_EQ(sim.frames(), (QList<QByteArray>{"TAV@01", "TAV@05"}));

    // Connect while the logger restarts: it closes every connection at once.
    prompter.boxes.clear();
    trigger("Conectar");
    ASSERT_TRUE(sim.waitForLog("refused a connection")) << sim.log().toStdString();
    ASSERT_FALSE(sim.log().contains("reachable again")) << "the attempt came after the restart";
    ASSERT_TRUE(runSteps());
    ASSERT_TRUE(
        waitUntil([&] { return console->link().state() == QAbstractSocket::UnconnectedState; }));
    if (!prompter.boxes.empty()) {
        // The console never saw the link come up: its whole (fake) 30 s, then the message.
        EXPECT_EQ(prompter.texts(), QStringList{"Not able to connect"});
        EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Selected);
    }
    EXPECT_FALSE(waitProgress().isVisible());
    prompter.boxes.clear();
    trigger("Version");
    EXPECT_EQ(prompter.texts(), QStringList{"There is no connection"});
    EXPECT_EQ(sim.frames(), (QList<QByteArray>{"TAV@01", "TAV@05"}));

    // Once the restart time is over the logger answers again.
    ASSERT_TRUE(sim.waitForLog("restart over: reachable again"));
    prompter.boxes.clear();
    connectToSim();
    EXPECT_FALSE(countdown().isVisible());
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(sim.frames(), (QList<QByteArray>{"TAV@01", "TAV@05", "TAV@01"}));
}

// The console hangs up by itself after its pauses; it does not wait for the
// logger to go. Here the logger answers late, so only the console can close.
TEST_F(SimulatorTest, RebootClosesTheLinkWithoutWaitingForTheLogger) {
    startWith({"--delay", "3000"});
    clickCell(1, 0);
    trigger("Conectar");
    ASSERT_TRUE(waitUntil([&] { return !console->connection().isWaiting(); }));
    ASSERT_TRUE(console->link().isConnected());
    ASSERT_TRUE(sim.waitForLog("<- TAV@01"));
    prompter.answers = {true};
    trigger("Reinicio");
    ASSERT_TRUE(runSteps(15000));
    EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Selected);
    EXPECT_EQ(countdown().text(), "Waiting ...");
    ASSERT_TRUE(sim.waitForLog("] connection closed"));
    EXPECT_EQ(sim.frames(), (QList<QByteArray>{"TAV@01", "TAV@05"}));
    // The logger never got to close the link or to restart.
    EXPECT_FALSE(sim.log().contains("closing the link"));
    EXPECT_FALSE(sim.log().contains("restarting"));
}
