#include "support/console.h"

#include "link/link.h"
#include "replies/replypath.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>

namespace {

// Write calls this process has made so far (Linux), or -1.
qint64 writeCalls() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("syscw:")) {
            return line.mid(6).trimmed().toLongLong();
        }
    }
    return -1;
}

} // namespace

class ReplyPathTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        writeLoggers("LOGGER:Weir,127.0.0.1," + QByteArray::number(peer.port()) + "\r\n");
        start();
        connectRow(1);
        ASSERT_TRUE(peer.waitForBytes(6));
    }
    QStringList trace() const { return entries(traceList()); }
    QStringList operation() const { return entries(operationList()); }
    QString logPath() const { return path(QStringLiteral("tav.log")); }
    void activateLog(bool fresh) {
        prompter.answers = {fresh};
        trigger("Activar_Log");
    }
};

TEST_F(ReplyPathTest, SortsTraceAndOperationTextAndSelectsTheNewest) {
    reply("abc{def}ghi\r\n{one\r\ntwo}\r\n\r\n\n{}\r\na\rb\n");
    EXPECT_EQ(trace(), (QStringList{"abcghi", "ab"}));
    EXPECT_EQ(operation(), (QStringList{"def", "one", "two"}));
    EXPECT_EQ(traceList().currentRow(), 1);
    EXPECT_EQ(operationList().currentRow(), 2);
}

TEST_F(ReplyPathTest, ALineSplitBetweenArrivalsComesOutWholeInTheRightList) {
    reply("{par");
    EXPECT_TRUE(operation().isEmpty());
    reply("tial}\r\n");
    EXPECT_EQ(operation(), QStringList{"partial"});
    EXPECT_TRUE(trace().isEmpty());
}

TEST_F(ReplyPathTest, PendingTextIsShownAfterAnIdleSecondAndWhenTheLinkCloses) {
    reply("{waiting");
    clock.advance(9);
    EXPECT_TRUE(operation().isEmpty());
    clock.advance(1);
    EXPECT_EQ(operation(), QStringList{"waiting"});
    // The brace mode survives the idle flush: the rest of the line is still operation text.
    reply(" more}\r\ntail");
    EXPECT_EQ(operation(), (QStringList{"waiting", " more"}));
    peer.dropClient();
    ASSERT_TRUE(waitUntil([&] { return trace() == QStringList{"tail"}; }));
}

TEST_F(ReplyPathTest, ANewConnectionStartsInTraceMode) {
    reply("{open brace");
    trigger("Desconectar");
    ASSERT_TRUE(runSteps());
    ASSERT_TRUE(waitUntil([&] { return operation() == QStringList{"open brace"}; }));
    trigger("Conectar");
    ASSERT_TRUE(waitEnded());
    ASSERT_TRUE(console->link().isConnected());
    ASSERT_TRUE(peer.waitForClient());
    reply("after\r\n");
    EXPECT_EQ(trace(), QStringList{"after"});
}

TEST_F(ReplyPathTest, ASliceOfMoreLinesThanAListKeepsShowsLogsAndCollectsInOrder) {
    activateLog(true);
    trigger("Ver_Parametros");
    for (int i = 0; i < 10; ++i) {
        traceList().addItem("earlier " + QString::number(i));
    }
    // 1500 lines in one slice: only the newest 600 of each kind stay on screen.
    QByteArray burst;
    QByteArray logged;
    for (int i = 0; i < 1500; ++i) {
        const QByteArray n = QByteArray::number(i);
        burst += "line " + n + "\r\n{P" + n + ":" + n + "}\r\n";
        logged += "line " + n + "\r\nP" + n + ":" + n + "\r\n";
    }
    ASSERT_LT(burst.size(), ReplyPath::kSliceBytes);
    reply(burst);
    ASSERT_EQ(traceList().count(), 600);
    ASSERT_EQ(operationList().count(), 600);
    for (int i = 0; i < 600; ++i) {
        ASSERT_EQ(trace()[i], "line " + QString::number(900 + i));
        ASSERT_EQ(operation()[i], QStringLiteral("P%1:%1").arg(900 + i));
    }
    EXPECT_EQ(traceList().currentRow(), 599);
    EXPECT_EQ(fileBytes(logPath()), logged);
    const ParameterTable &table = console->listing().table();
    ASSERT_EQ(table.count(), 200);
    EXPECT_EQ(table.name(0), "P0");
    EXPECT_EQ(table.name(199), "P199");
    EXPECT_EQ(table.name(200), "P1499");

    // A full list and a whole new screenful: every entry is the new one, in order.
    QByteArray again;
    for (int i = 0; i < 700; ++i) {
        again += "next " + QByteArray::number(i) + "\r\n";
    }
    reply(again);
    ASSERT_EQ(traceList().count(), 600);
    for (int i = 0; i < 600; ++i) {
        ASSERT_EQ(trace()[i], "next " + QString::number(100 + i));
    }
    EXPECT_EQ(traceList().currentRow(), 599);
}

TEST_F(ReplyPathTest, ALineAcrossSlicesIsNeverFlushedEarlyWhileLaterSlicesWait) {
    trigger("Ver_Parametros");
    // Three slices; the parameter line crosses from the first into the second, and
    // showing the first slice takes longer than the idle second (two of them go by).
    QByteArray burst(ReplyPath::kSliceBytes - 4, 't');
    burst += "\r\n{SPLIT:across}\r\n" + QByteArray(ReplyPath::kSliceBytes, 'u') + "\r\nend\r\n";
    bool slow = true;
    QObject::connect(&console->replies(), &ReplyPath::arrivalEnded, main.get(), [&] {
        if (std::exchange(slow, false)) {
            clock.advance(20);
        }
    });
    peer.send(burst);
    ASSERT_TRUE(waitUntil([&] { return !trace().isEmpty() && trace().last() == "end"; }, 5000));
    EXPECT_FALSE(slow);
    EXPECT_EQ(operation(), QStringList{"SPLIT:across"});
    ASSERT_EQ(console->listing().table().count(), 1);
    EXPECT_EQ(console->listing().table().value(0), "across");
}

TEST_F(ReplyPathTest, AnUnfinishedLineTrimsTheListToItsOwnLimit) {
    for (int i = 0; i < 450; ++i) {
        traceList().addItem(QString::number(i));
    }
    reply("rest");
    peer.dropClient();
    ASSERT_TRUE(waitUntil([&] { return trace().last() == "rest"; }));
    EXPECT_EQ(traceList().count(), 450);
    EXPECT_EQ(trace().first(), "1");
    EXPECT_EQ(trace().last(), "rest");
}

TEST_F(ReplyPathTest, DisplaySwitchOffStopsTheListsButNotTheLogOrTheParameters) {
    QCheckBox &box = *main->findChild<QCheckBox *>("Check_Display");
    box.click();
    EXPECT_FALSE(box.isChecked());
    EXPECT_EQ(box.text(), "Warning display deactived");
    EXPECT_EQ(box.palette().color(QPalette::WindowText), QColor(255, 0, 0));
    activateLog(true);
    trigger("Ver_Parametros");
    reply("trace\r\n{A:1}\r\n");
    EXPECT_TRUE(trace().isEmpty());
    EXPECT_TRUE(operation().isEmpty());
    EXPECT_EQ(console->listing().table().count(), 1);
    EXPECT_EQ(console->listing().table().name(0), "A");
    EXPECT_EQ(fileBytes(logPath()), "trace\r\nA:1\r\n");
    EXPECT_EQ(logCaption().text(), " 8 bytes");
    box.click();
    EXPECT_EQ(box.text(), "Display ON");
    EXPECT_EQ(box.palette().color(QPalette::WindowText), QColor(0, 0, 0));
}

TEST_F(ReplyPathTest, LogHoldsEveryEntryByteForByte) {
    activateLog(true);
    EXPECT_EQ(prompter.boxes.back().text, "Warning\r\nInit log?");
    EXPECT_EQ(prompter.boxes.back().title, "Warning");
    EXPECT_TRUE(prompter.boxes.back().question);
    EXPECT_EQ(logCaption().text(), "Log Activado");
    reply(QByteArray("x{op}y\r\n\xF1\x80\xFF\0z\r\n", 15));
    const QByteArray expected("xy\r\nop\r\n\xF1\x80\xFF\0z\r\n", 15);
    EXPECT_EQ(fileBytes(logPath()).toHex(' '), expected.toHex(' '));
    EXPECT_EQ(console->replies().logBytes(), 9);
    EXPECT_EQ(logCaption().text(), " 9 bytes");
    EXPECT_EQ(trace().last(), QString::fromUtf8("ñ€ÿ") + QChar(0) + "z");
}

TEST_F(ReplyPathTest, ActivateAppendsOrStartsAfreshAndRefusesTwice) {
    activateLog(true);
    reply("first\r\n");
    trigger("Desactivar_Log");
    EXPECT_EQ(logCaption().text(), "Log Desactivado");
    activateLog(false);
    reply("second\r\n");
    EXPECT_EQ(fileBytes(logPath()), "first\r\nsecond\r\n");
    EXPECT_EQ(logCaption().text(), " 6 bytes");

    prompter.boxes.clear();
    trigger("Activar_Log");
    EXPECT_EQ(prompter.texts(), QStringList{"Log already activated"});
    EXPECT_EQ(logCaption().text(), " 6 bytes");
    EXPECT_TRUE(console->replies().logActive());

    trigger("Desactivar_Log");
    activateLog(true);
    reply("third\r\n");
    EXPECT_EQ(fileBytes(logPath()), "third\r\n");
    // Clearing the screens leaves the log alone.
    trigger("Borrar_Trace");
    trigger("Borrar_Operacion");
    EXPECT_TRUE(trace().isEmpty());
    EXPECT_EQ(console->replies().logBytes(), 5);
    EXPECT_TRUE(console->replies().logActive());
}

TEST_F(ReplyPathTest, DeactivateWhileInactiveSaysSoAndSetsTheCaption) {
    trigger("Desactivar_Log");
    EXPECT_EQ(prompter.texts(), QStringList{"Log no activate"});
    EXPECT_EQ(prompter.boxes[0].title, "TAVControl");
    EXPECT_EQ(logCaption().text(), "Log Desactivado");
    EXPECT_FALSE(console->replies().logActive());
}

TEST_F(ReplyPathTest, LogClosesItselfOncePastTenMillionCharacters) {
    activateLog(true);
    reply(QByteArray(10'000'000 - 3, 'x') + "\r\n");
    reply("abc\r\n");
    EXPECT_TRUE(console->replies().logActive());
    EXPECT_EQ(logCaption().text(), " 10000000 bytes");
    reply("d\r\ne\r\n");
    EXPECT_FALSE(console->replies().logActive());
    EXPECT_EQ(logCaption().text(), QStringLiteral("Desactivado por tamaño"));
    // The whole arrival that passed the limit is in the file; nothing after it.
    reply("f\r\n");
    const QByteArray logged = fileBytes(logPath());
    EXPECT_TRUE(logged.endsWith("xx\r\nabc\r\nd\r\ne\r\n"));
    EXPECT_EQ(logged.count('x'), 10'000'000 - 3);
    EXPECT_EQ(trace().last(), "f");
    // Activating again starts the count at zero.
    activateLog(false);
    EXPECT_EQ(console->replies().logBytes(), 0);
}

TEST_F(ReplyPathTest, ALogThatCannotBeOpenedIsReportedAndStaysOff) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("tav.log"));
    activateLog(true);
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_TRUE(prompter.boxes[1].text.startsWith("Cannot open " + logPath() + ": "))
        << prompter.boxes[1].text.toStdString();
    EXPECT_FALSE(console->replies().logActive());
    EXPECT_EQ(logCaption().text(), "");
}

TEST_F(ReplyPathTest, AFailedWriteStopsTheLogAndTellsTheOperatorOnce) {
    activateLog(false);
    ASSERT_TRUE(console->replies().logActive());
    prompter.boxes.clear();
    reply("one\r\n");
    ASSERT_TRUE(QFile::remove(logPath()));
    reply("two\r\n");
    reply("three\r\n");
    ASSERT_EQ(prompter.boxes.size(), 1u) << prompter.texts().join('|').toStdString();
    EXPECT_TRUE(prompter.boxes[0].text.startsWith("Error Log\r\n"));
    EXPECT_FALSE(console->replies().logActive());
    EXPECT_EQ(logCaption().text(), "Error Log");
    EXPECT_EQ(trace(), (QStringList{"one", "two", "three"}));
}

TEST_F(ReplyPathTest, LongArrivalsAreProcessedWholeAndShownCut) {
    activateLog(true);
    const QByteArray line = QByteArray(99'999, 'x') + "y";
    reply("{" + line + "}\r\n");
    ASSERT_EQ(operation().size(), 1);
    EXPECT_EQ(operation().first(),
              QString(4000, 'x') + QStringLiteral(" \u2026 [+96000 characters]"));
    EXPECT_EQ(fileBytes(logPath()), line + "\r\n");
    EXPECT_EQ(console->replies().logBytes(), 100'000);
}

TEST_F(ReplyPathTest, ParameterListingSplitInOddPlacesIsCollected) {
    trigger("Ver_Parametros");
    ASSERT_TRUE(peer.waitForBytes(12));
    const QByteArray listing =
        "{Received ask parameters}\r\n{Parameters}\r\n{LEVEL:5}\r\n{APN:inet.example:80}\r\n"
        "trace in between\r\n{:7}\r\n{NOCOLON}\r\n";
    for (qsizetype at = 0; at < listing.size(); at += 7) {
        reply(listing.mid(at, 7));
    }
    ASSERT_EQ(console->listing().table().count(), 3);
    EXPECT_EQ(console->listing().table().name(0), "LEVEL");
    EXPECT_EQ(console->listing().table().value(0), "5");
    EXPECT_EQ(console->listing().table().name(1), "APN");
    EXPECT_EQ(console->listing().table().value(1), "inet.example:80");
    EXPECT_EQ(console->listing().table().name(2), "");
    EXPECT_EQ(console->listing().table().value(2), "7");
    EXPECT_EQ(trace(), QStringList{"trace in between"});
    // Any other command ends the collection.
    trigger("Version");
    reply("{LATE:1}\r\n");
    EXPECT_EQ(console->listing().table().count(), 3);
}

TEST_F(ReplyPathTest, EverythingSentBeforeTheLoggerLeftIsShownAndLogged) {
    activateLog(true);
    QByteArray burst;
    for (int i = 0; i < 20000; ++i) {
        burst += "line " + QByteArray::number(i) + "\r\n";
    }
    burst += "END";
    peer.send(burst);
    peer.dropClient();
    ASSERT_TRUE(waitUntil([&] { return !trace().isEmpty() && trace().last() == "END"; }, 20000));
    const QByteArray logged = fileBytes(logPath());
    EXPECT_EQ(logged.count("\r\n"), 20001);
    EXPECT_TRUE(logged.endsWith("line 19999\r\nEND\r\n"));
    // No line was cut in two by the close.
    EXPECT_EQ(trace().filter(QRegularExpression("^line \\d+$")).size(), 599);
}

// A flood as a busy logger sends it (four trace lines of 64 bytes to one parameter line): the
// log holds the stream's entries byte for byte, written a few pages at a time, not an entry
// at a time.
TEST_F(ReplyPathTest, AFloodIsLoggedExactlyInAFewWritesPerPage) {
    activateLog(true);
    constexpr int kLines = 40000;
    QByteArray stream;
    QByteArray logged;
    for (int i = 0; i < kLines; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray entry = i % 5 == 4 ? "NAME_" + n + '=' + n
                                            : ("12:00:00 AI1=04.210mA " + n).leftJustified(62, '.');
        stream += i % 5 == 4 ? '{' + entry + "}\r\n" : entry + "\r\n";
        logged += entry + "\r\n";
    }
    const qint64 writesBefore = writeCalls();
    peer.send(stream + "END\r\n");
    ASSERT_TRUE(waitUntil([&] { return !trace().isEmpty() && trace().last() == "END"; }, 20000));
    const qint64 writes = writeCalls() - writesBefore;
    logged += "END\r\n";
    const QByteArray file = fileBytes(logPath());
    EXPECT_EQ(QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex(),
              QCryptographicHash::hash(logged, QCryptographicHash::Sha256).toHex());
    EXPECT_EQ(file.size(), logged.size());
    EXPECT_EQ(logCaption().text(),
              ' ' + QString::number(logged.size() - 2 * (kLines + 1)) + " bytes");
    if (writesBefore >= 0) {
        // Two writes per page of log and a few for the window; one per entry would be 40,001.
        EXPECT_LT(writes, logged.size() / 4096 * 2 + 1000);
    }
}
