#include "support/console.h"

#include "app/closeonstop.h"
#include "app/consolelayout.h"
#include "app/messageboxprompter.h"
#include "base/stopsignals.h"
#include "link/link.h"
#include "loggers/ui/loggergrid.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Entry {
    QString path; // names from the bar down, joined by '/'
    QString caption;
    bool hidden;
};

// The whole menu tree in order, as operators' procedures describe it.
const std::vector<Entry> kTree = {
    {"menu", "File", false},
    {"menu/Log", "Log", false},
    {"menu/Log/Activar_Log", "Activate", false},
    {"menu/Log/Desactivar_Log", "Deactivate", false},
    {"menu/Borrar_Trace", "Clear trace screen", false},
    {"menu/Borrar_Operacion", "Clear operation screen", false},
    {"menu/mantencomm", "Maintain link", false},
    {"menu/Salir", "Exit", false},
    {"Comunicacion", "Communication", false},
    {"Comunicacion/Conectar", "Connect", false},
    {"Comunicacion/Desconectar", "Disconnect", false},
    {"Comunicacion/Abort_conn", "Abort connection", false},
    {"Comunicacion/Enlace_Radio", "Enlace Radio", true},
    {"Operar", "Operation", false},
    {"Operar/Version", "Version", false},
    {"Operar/Parametros", "Parameters", false},
    {"Operar/Parametros/Ver_Parametros", "List", false},
    {"Operar/Parametros/Modificar_Parametros", "Modify", false},
    {"Operar/Parametros/Aplicar_Parametros", "Apply", false},
    {"Operar/Parametros/Enviar_Fichero", "Enviar Fichero", true},
    {"Operar/SYNC", "Sync with Server", false},
    {"Operar/SYNC_PC", "Sync with PC", false},
    {"Operar/Enviar_Interrogacion", "Ask devices", false},
    {"Operar/ASK_GPRS", "Ask GPRS signal", false},
    {"Operar/Rec_app1", "Rec application", false},
    {"Operar/Mv_app1_app", "Update application", false},
    {"Operar/LocalUpdate", "Local rec and update application", false},
    {"Operar/Send_email", "Enviar email (sin cierre)", true},
    {"Operar/Send_email_close", "Envio email (CON cierre)", true},
    {"Operar/Show_Log", "Ver Log", false},
    {"Operar/Del_Log", "Borrar Log", true},
    {"Operar/Reinicio", "Reboot ", false},
    {"Operar/Alarm", "Test Alarm", false},
    {"Operar/cmd_linux", "Linux command", false},
    {"Operar/SYNC_time", "NTP", false},
    {"Operar/Registrar", "Register logger", false},
    {"Operar/GPRSstart", "GPRS start", false},
    {"Operar/ResetPassword", "Reset Password", false},
    {"Especificos", "Específicos", true},
    {"Especificos/Contador", "Contador", true},
    {"Especificos/Contador/Contador_Historicos", "Grabación fichero Historico", true},
    {"Ayuda", "Help", false},
    {"Ayuda/Acerca_de", "About", false},
};

void walk(const QList<QAction *> &actions, const QString &prefix, std::vector<Entry> &out,
          std::vector<QAction *> &seen) {
    for (QAction *action : actions) {
        if (action->isSeparator()) {
            continue;
        }
        const QString path =
            prefix.isEmpty() ? action->objectName() : prefix + '/' + action->objectName();
        out.push_back({path, action->text(), !action->isVisible()});
        seen.push_back(action);
        if (action->menu()) {
            walk(action->menu()->actions(), path, out, seen);
        }
    }
}

} // namespace

class MainWindowTest : public ConsoleTest {};

TEST_F(MainWindowTest, StartsIdleWithDisplayOnAndNothingSelected) {
    start();
    EXPECT_EQ(main->windowTitle(), "Mirvane");
    EXPECT_EQ(traceList().count(), 0);
    EXPECT_EQ(operationList().count(), 0);
    EXPECT_FALSE(countdown().isVisible());
    EXPECT_EQ(countdown().text(), "Reconnecting...");
    EXPECT_FALSE(waitProgress().isVisible());
    EXPECT_TRUE(main->findChild<QCheckBox *>("Check_Display")->isChecked());
    EXPECT_EQ(main->findChild<QCheckBox *>("Check_Display")->text(), "Display ON");
    EXPECT_EQ(logCaption().text(), "");
    EXPECT_FALSE(console->connection().keepAliveOn());
    EXPECT_EQ(grid().selectedRow(), 0);
    EXPECT_FALSE(console->listing().isOpen());
    EXPECT_FALSE(console->replies().logActive());
    EXPECT_EQ(console->replies().logBytes(), 0);
    EXPECT_EQ(console->connection().countdownLeft(), 0);
    EXPECT_EQ(console->listing().table().count(), 0);
    EXPECT_FALSE(console->link().isConnected());
    EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
    for (int row = 1; row <= LoggerGrid::kRows; ++row) {
        EXPECT_EQ(grid().mark(row), LoggerGrid::Mark::None) << row;
    }
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(MainWindowTest, LabelsSpeakTheirTextAndListsAndGridHaveNames) {
    start();
    EXPECT_EQ(main->findChild<QLabel *>("Label3")->text(), "Logger remote control");
    EXPECT_EQ(main->findChild<QLabel *>("Label1")->text(), "Log added:");
    // Labels and the switch speak their own text to screen readers; lists and grid get names.
    EXPECT_TRUE(countdown().accessibleName().isEmpty());
    // The log state is named with its caption and what it says, and follows it.
    EXPECT_EQ(logCaption().accessibleName(), "Log added:");
    replyStatus().setLogCaption(" 2048 bytes");
    EXPECT_EQ(logCaption().accessibleName(), "Log added: 2048 bytes");
    replyStatus().setLogCaption("Log Activado");
    EXPECT_EQ(logCaption().accessibleName(), "Log added: Log Activado");
    EXPECT_TRUE(main->findChild<QCheckBox *>("Check_Display")->accessibleName().isEmpty());
    EXPECT_EQ(traceList().accessibleName(), "Trace list");
    EXPECT_EQ(operationList().accessibleName(), "Operation list");
    EXPECT_EQ(grid().accessibleName(), "Loggers");
}

TEST_F(MainWindowTest, MenuTreeIsCompleteAndInOrder) {
    start();
    std::vector<Entry> tree;
    std::vector<QAction *> actions;
    walk(main->menuBar()->actions(), QString(), tree, actions);
    ASSERT_EQ(tree.size(), kTree.size());
    for (std::size_t i = 0; i < kTree.size(); ++i) {
        EXPECT_EQ(tree[i].path, kTree[i].path) << i;
        EXPECT_EQ(tree[i].caption, kTree[i].caption) << kTree[i].path.toStdString();
        EXPECT_EQ(tree[i].hidden, kTree[i].hidden) << kTree[i].path.toStdString();
        // Hidden entries are disabled too; the rest start enabled, unticked, without shortcut.
        EXPECT_EQ(actions[i]->isEnabled(), !kTree[i].hidden) << kTree[i].path.toStdString();
        EXPECT_FALSE(actions[i]->isChecked());
        EXPECT_TRUE(actions[i]->shortcut().isEmpty());
    }
}

TEST(StatusStripTest, WaitProgressClampsAndHides) {
    StatusStrip strip;
    strip.show();
    const QProgressBar &bar = *strip.findChild<QProgressBar *>();
    EXPECT_FALSE(bar.isVisible());
    strip.startWait();
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 100);
    EXPECT_EQ(bar.value(), 0);
    const std::vector<std::pair<int, int>> cases = {
        {-5, 0}, {0, 0}, {37, 37}, {100, 100}, {250, 100}};
    for (const auto &[percent, shown] : cases) {
        strip.showWaitProgress(percent);
        EXPECT_EQ(bar.value(), shown) << percent;
    }
    strip.endWait();
    EXPECT_FALSE(bar.isVisible());
    EXPECT_EQ(bar.value(), 0);
}

TEST_F(MainWindowTest, UnreadableListFileIsReportedNotFatal) {
    QDir(m_dir.path()).mkdir("loggers.txt");
    start();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_TRUE(prompter.boxes[0].text.startsWith("Cannot read "))
        << prompter.boxes[0].text.toStdString();
    EXPECT_EQ(grid().cell(1, 0), "");
}

TEST_F(MainWindowTest, ClosingDuringThePausesAfterABoxEndsWithinASecond) {
    QTcpServer nothing;
    nothing.listen(QHostAddress::LocalHost, 0);
    const quint16 dead = nothing.serverPort();
    nothing.close();
    writeLoggers("LOGGER:dead,127.0.0.1," + QByteArray::number(dead) + "\r\n");
    start();
    clickCell(1, 0);
    trigger("mantencomm");
    trigger("Conectar");
    clock.advance(301);
    EXPECT_EQ(prompter.texts(), QStringList{"Not able to connect"});
    ASSERT_TRUE(console->connection().isPausing());
    main->close();
    clock.advance(4);
    EXPECT_TRUE(main->isVisible());
    clock.advance(1);
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(console->connection().keepAliveOn());
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

TEST_F(MainWindowTest, AListFileThatIsAFifoIsReportedWithoutHangingStartUp) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("loggers.txt")).constData(), 0600), 0);
    start(); // a read that waited for a writer would hang here until the test's time is up
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text,
              "Cannot read " + path("loggers.txt") + ": not a regular file");
    EXPECT_EQ(grid().cell(1, 0), "");
}

TEST_F(MainWindowTest, ExitClosesTheWindowAfterTheCloseDownsPause) {
    start();
    trigger("Salir");
    clock.advance(4);
    EXPECT_TRUE(main->isVisible());
    clock.advance(1);
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(prompter.boxes.empty());
}

// A kill or a desktop logout closes the console as its close box does: goodbye first.
TEST_F(MainWindowTest, SigtermSaysGoodbyeThenClosesTheWindow) {
    start();
    connectRow(1);
    ASSERT_TRUE(peer.waitForBytes(6));
    peer.clearReceived();
    ASSERT_TRUE(closeOnStopSignals(*main).isWatching());
    ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
    ASSERT_TRUE(peer.waitForBytes(6));
    EXPECT_EQ(peer.received(), "TAV@02");
    clock.advance(5);
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindowTest, AboutShowsOneBoxWithTheProgramsName) {
    start();
    trigger("Acerca_de");
    trigger("Acerca_de");
    const auto boxes = main->findChildren<QWidget *>("Acerca");
    ASSERT_EQ(boxes.size(), 1);
    QWidget *about = boxes.first();
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), "Help");
    EXPECT_EQ(about->findChild<QLabel *>("Label1")->text(), "Logger remote control V3.2");
    EXPECT_EQ(about->findChild<QLabel *>("Label2")->text(), "Mirvane Systems");
    const QPixmap icon = about->findChild<QLabel *>("Picture1")->pixmap();
    EXPECT_EQ(icon.size(), QSize(64, 64));
    EXPECT_TRUE(main->isEnabled());
}

// Every text the operator sees fits its control at desktop font sizes from 9 to 12 points.
TEST_F(MainWindowTest, NoTextIsCutAtDesktopFontSizes) {
    const QFont original = QApplication::font();
    for (const int points : {9, 12}) {
        SCOPED_TRACE(points);
        QFont font = original;
        font.setPointSize(points);
        QApplication::setFont(font);
        main.reset();
        start();
        const auto fits = [](const QWidget *widget, const QString &text) {
            const QFontMetrics metrics(widget->font());
            EXPECT_GE(widget->width(), metrics.horizontalAdvance(text)) << text.toStdString();
            EXPECT_GE(widget->height(), metrics.height()) << text.toStdString();
        };
        for (const char *name : {"Label3", "Label1"}) {
            const auto *label = main->findChild<QLabel *>(name);
            fits(label, label->text());
        }
        fits(main->findChild<QLabel *>("Cuenta"), "Ready for connection");
        for (const QString &caption :
             {QStringLiteral("Desactivado por tamaño"), QStringLiteral(" 10000000 bytes")}) {
            fits(main->findChild<QLabel *>("Log_Size"), caption);
        }
        auto *display = main->findChild<QCheckBox *>("Check_Display");
        display->click();
        EXPECT_GE(display->width(), display->sizeHint().width());
        const LoggerGrid &table = grid();
        const QFontMetrics cells(table.font());
        EXPECT_GE(table.columnWidth(2), cells.horizontalAdvance("65535") + 4);
        for (int column = 0; column < 3; ++column) {
            const QString title = table.horizontalHeaderItem(column)->text();
            EXPECT_GE(table.columnWidth(column), cells.horizontalAdvance(title) + 4);
        }
        trigger("Acerca_de");
        const QWidget *about = main->findChild<QWidget *>("Acerca");
        for (const auto *label : about->findChildren<QLabel *>()) {
            if (!label->text().isEmpty()) {
                fits(label, label->text());
                EXPECT_LE(label->geometry().right(), about->width()) << label->text().toStdString();
            }
        }
        clickCell(1, 1);
        const QWidget *address = openDialog(*main, "IP_Port");
        ASSERT_NE(address, nullptr);
        for (const auto *button : address->findChildren<QPushButton *>()) {
            EXPECT_GE(button->width(), button->sizeHint().width());
        }
    }
    QApplication::setFont(original);
}

TEST_F(MainWindowTest, AboutOpensCentredOnTheConsole) {
    start();
    main->move(100, 80);
    trigger("Acerca_de");
    const QWidget *about = main->findChild<QWidget *>("Acerca");
    const QPoint centre = main->mapToGlobal(main->rect().center());
    EXPECT_LE((about->geometry().center() - centre).manhattanLength(), 4);
}

// At the reference size the reference layout exactly; beyond it the lists and the grid take
// the space, and below it they give it back, none smaller than usable, none overlapping.
TEST(ConsoleLayoutTest, ReferenceExactlyThenTheListsAndTheGridTakeTheSpace) {
    const ConsoleLayout::Needs reference;
    const ConsoleLayout at = ConsoleLayout::place({850, 633}, reference);
    EXPECT_EQ(at.strip, QRect(0, 0, 545, 49));
    EXPECT_EQ(at.status, QRect(552, 0, 297, 65));
    EXPECT_EQ(at.trace, QRect(0, 48, 545, 436));
    EXPECT_EQ(at.operation, QRect(0, 488, 545, 148));
    EXPECT_EQ(at.grid, QRect(552, 72, 297, 553));
    EXPECT_EQ(ConsoleLayout::preferredArea(reference), QSize(850, 633));

    struct Case {
        QSize area;
        ConsoleLayout::Needs needs;
    };
    const Case cases[] = {
        {{1250, 933}, reference},     // larger
        {{1024, 515}, reference},     // a netbook's screen less the menu bar and a title bar
        {{960, 490}, reference},      // 1920 x 1080 at twice the scale
        {{300, 200}, reference},      // smaller than usable: held at the minimum
        {{1000, 700}, {340, 60, 80}}, // a larger font
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.area.width()) + "x" + std::to_string(c.area.height()));
        const QSize area = c.area.expandedTo(ConsoleLayout::minimumArea(c.needs));
        const ConsoleLayout l = ConsoleLayout::place(c.area, c.needs);
        const QSize grown = area - ConsoleLayout::preferredArea(c.needs);
        // The lists take three quarters of the width gained, and the whole of a loss.
        EXPECT_EQ(l.trace.width(),
                  545 + (grown.width() > 0 ? grown.width() - grown.width() / 4 : grown.width()));
        EXPECT_EQ(l.operation.width(), l.trace.width());
        EXPECT_GE(l.grid.width(), c.needs.gridWidth);
        EXPECT_EQ(l.grid.right(), area.width() - 2);
        EXPECT_GE(l.trace.height(), 100);
        EXPECT_GE(l.operation.height(), 80);
        EXPECT_GE(l.grid.height(), 120);
        EXPECT_EQ(l.operation.bottom(), area.height() + 2); // as in the reference layout
        EXPECT_EQ(l.grid.bottom(), area.height() - 9);
        EXPECT_GE(l.strip.height(), c.needs.stripHeight);
        EXPECT_GE(l.status.height(), c.needs.statusHeight);
        const QRect parts[] = {l.strip, l.status, l.trace.adjusted(0, 1, 0, 0), l.operation,
                               l.grid};
        for (const QRect &a : parts) {
            for (const QRect &b : parts) {
                EXPECT_TRUE(&a == &b || !a.intersects(b));
            }
        }
    }
}

// Without a desktop theme nothing opens the menus from the keyboard but the window itself: a
// lone Alt reaches the menu bar (the style leads it, or the window opens the File menu), F10
// opens the File menu.
TEST_F(MainWindowTest, F10AndALoneAltReachTheMenuBarWithoutATheme) {
    class NoAltNavigation final : public QProxyStyle {
    public:
        NoAltNavigation() : QProxyStyle(QStringLiteral("Fusion")) {}
        int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                      QStyleHintReturn *data) const override {
            return hint == SH_MenuBar_AltKeyNavigation
                       ? 0
                       : QProxyStyle::styleHint(hint, option, widget, data);
        }
    };
    for (const bool styleLeads : {true, false}) {
        SCOPED_TRACE(styleLeads);
        if (styleLeads) {
            QApplication::setStyle(QStringLiteral("Fusion"));
        } else {
            QApplication::setStyle(new NoAltNavigation);
        }
        main.reset();
        start();
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
        QMenuBar *bar = main->menuBar();
        auto *file = main->findChild<QMenu *>("menu");
        ASSERT_NE(file, nullptr);
        QTest::keyPress(&grid(), Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(&grid(), Qt::Key_Alt);
        EXPECT_EQ(bar->activeAction(), file->menuAction());
        EXPECT_EQ(file->isVisible(), !styleLeads);
        file->close();
        bar->setActiveAction(nullptr);
        ASSERT_TRUE(waitUntil([&] { return !file->isVisible() && !bar->activeAction(); }));
        grid().setFocus();
        QTest::keyClick(&grid(), Qt::Key_F10);
        EXPECT_TRUE(waitUntil([&] { return file->isVisible(); }));
        file->close();
    }
    QApplication::setStyle(QStringLiteral("Fusion"));
}

TEST_F(MainWindowTest, TabFollowsWhatTheOperatorSeesAndAnEmptyListShowsItsFocus) {
    start();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    grid().setFocus();
    QStringList visited;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, (QStringList{"Check_Display", "List1", "List2"}));
    // The empty operation list has the focus: it shows it.
    QWidget *view = operationList().viewport();
    const QImage focused = view->grab().toImage();
    grid().setFocus();
    EXPECT_NE(view->grab().toImage(), focused);
}

TEST_F(MainWindowTest, TheGridTellsScreenReadersWhichLoggerIsSelectedOrConnected) {
    writeLoggers("LOGGER:A,127.0.0.1," + QByteArray::number(peer.port()) + "\r\nLOGGER:B,h,2\r\n");
    start();
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(&grid());
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    const auto said = [&](int row) {
        QStringList cells;
        for (int column = 0; column < 3; ++column) {
            cells
                << table->tableInterface()->cellAt(row - 1, column)->text(QAccessible::Description);
        }
        return cells;
    };
    const QStringList none{"", "", ""};
    EXPECT_EQ(said(1), none);
    clickCell(2, 0);
    EXPECT_EQ(said(2), (QStringList{"selected", "selected", "selected"}));
    connectRow(1);
    EXPECT_EQ(said(1), (QStringList{"connected", "connected", "connected"}));
    EXPECT_EQ(said(2), none);
    trigger("Desconectar");
    clock.advance(5);
    EXPECT_EQ(said(1), (QStringList{"selected", "selected", "selected"}));
    // The about box is announced as a dialog.
    trigger("Acerca_de");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(main->findChild<QWidget *>("Acerca"))->role(),
              QAccessible::Dialog);
}

// A box raised by an always-on-top form opens over that form, not behind it.
TEST(MessageBoxPrompterTest, ABoxOpensOverTheFormThatRaisedIt) {
    QWidget window;
    window.show();
    QDialog form(&window);
    form.setWindowFlag(Qt::WindowStaysOnTopHint);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    MessageBoxPrompter prompter(&window);
    QWidget *owner = nullptr;
    bool onTop = false;
    QTimer::singleShot(0, &form, [&] {
        QWidget *box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        owner = box->parentWidget();
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        box->close();
    });
    prompter.inform(QStringLiteral("refused"));
    EXPECT_EQ(owner, &form);
    EXPECT_TRUE(onTop);
}
