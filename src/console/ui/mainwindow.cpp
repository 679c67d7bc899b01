#include "console/ui/mainwindow.h"

#include "about/ui/aboutbox.h"
#include "commands/ui/commandcontroller.h"
#include "console/clock.h"
#include "console/filereader.h"
#include "console/link.h"
#include "console/texts.h"
#include "console/ui/messageboxprompter.h"
#include "console/ui/singlewindow.h"
#include "console/ui/statusstrip.h"
#include "loggers/loggerlist.h"
#include "loggers/ui/ipportdialog.h"
#include "loggers/ui/loggergrid.h"
#include "replies/replypath.h"
#include "replies/ui/listevidence.h"
#include "replies/ui/replylist.h"
#include "replies/ui/replystatusbox.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <algorithm>
#include <cstdio>

// Resources of a static library are not registered by themselves.
static void initResources() {
    Q_INIT_RESOURCE(mirvane);
}

namespace {

void tellOnStandardError(const QString &line) {
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

template <typename Owned, typename Given> std::unique_ptr<Owned> unlessGiven(Given *given) {
    return given ? nullptr : std::make_unique<Owned>();
}

} // namespace

MainWindow::MainWindow(ConsoleServices services, QWidget *parent)
    : QMainWindow(parent), m_ownPrompter(unlessGiven<MessageBoxPrompter>(services.prompter)),
      m_ownClock(unlessGiven<SteadyClock>(services.clock)),
      m_prompter(services.prompter ? *services.prompter : *m_ownPrompter),
      m_clock(services.clock ? *services.clock : *m_ownClock), m_workDir(services.workDir),
      m_link(new Link(this)),
      m_connection(new Connection(*m_link, m_listing, m_prompter, m_clock, services.timings, this)),
      m_replies(
          new ReplyPath(*m_link, m_listing, m_prompter, pathOf(QStringLiteral("tav.log")), this)),
      m_commands(
          new CommandController(*m_connection, *m_link, m_listing, m_prompter, m_clock, this)),
      m_statusStrip(new StatusStrip), m_replyStatus(new ReplyStatusBox),
      m_traceList(new ReplyList(ReplyList::Part::Trace)),
      m_operationList(new ReplyList(ReplyList::Part::Operation)), m_grid(new LoggerGrid),
      m_actions(buildMenus(*menuBar())) {
    initResources();
    if (m_ownPrompter) {
        static_cast<MessageBoxPrompter &>(*m_ownPrompter).setParent(this);
    }
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(texts::kMainCaption);
    setWindowIcon(QIcon(QStringLiteral(":/mirvane.png")));
    m_link->setObjectName(QStringLiteral("Winsock1"));
    layOut();
    wire();
    wireMenus();
}

MainWindow::~MainWindow() = default;

void MainWindow::layOut() {
    auto *central = new QWidget(this);
    central->setFixedSize(850, 633);
    setCentralWidget(central);
    const std::pair<QWidget *, QRect> places[] = {
        {m_statusStrip, {0, 0, 545, 49}}, {m_replyStatus, {552, 0, 297, 65}},
        {m_traceList, {0, 48, 545, 436}}, {m_operationList, {0, 488, 545, 148}},
        {m_grid, {552, 72, 297, 553}},
    };
    for (const auto &[widget, place] : places) {
        widget->setParent(central);
        widget->setGeometry(place);
    }
}

void MainWindow::wire() {
    Connection *link = m_connection;
    StatusStrip *strip = m_statusStrip;
    LoggerGrid *grid = m_grid;
    connect(link, &Connection::clearListsRequested, this, [this] {
        m_traceList->clear();
        m_operationList->clear();
    });
    connect(link, &Connection::waitStarted, strip, &StatusStrip::startWait);
    connect(link, &Connection::waitProgress, strip, &StatusStrip::showWaitProgress);
    connect(link, &Connection::waitEnded, strip, &StatusStrip::endWait);
    connect(link, &Connection::countdownShown, strip, &StatusStrip::showCountdown);
    connect(link, &Connection::countdownChanged, strip, &StatusStrip::setCountdownText);
    connect(link, &Connection::countdownHidden, strip, &StatusStrip::hideCountdown);
    connect(link, &Connection::rowConnected, grid, &LoggerGrid::showConnected);
    connect(link, &Connection::disconnected, grid, &LoggerGrid::showDisconnected);
    connect(link, &Connection::restarted, grid, &LoggerGrid::showRestarted);
    connect(link, &Connection::keepAliveSwitched, m_traceList, &ReplyList::setKeepAliveTint);
    connect(link, &Connection::closedDown, this, &QWidget::close);
    connect(grid, &LoggerGrid::loggerClicked, this, &MainWindow::onLoggerClicked);
    connect(grid, &LoggerGrid::selectionChanged, link, &Connection::selectionMoved);

    for (ReplyList *list : {m_traceList, m_operationList}) {
        connect(m_replies, &ReplyPath::linesArrived, list, &ReplyList::appendLines);
        connect(m_replies, &ReplyPath::remainderArrived, list, &ReplyList::appendRemainder);
        connect(m_replies, &ReplyPath::arrivalEnded, list, &ReplyList::showArrived);
        connect(m_replyStatus, &ReplyStatusBox::displaySwitched, list, &ReplyList::setShowing);
        new ListEvidence(*list, m_prompter); // Copy, Copy all and Save as… on the list
    }
    connect(m_replies, &ReplyPath::logCaptionChanged, m_replyStatus,
            &ReplyStatusBox::setLogCaption);
}

void MainWindow::on(MenuItem item, const std::function<void()> &handler) {
    connect(m_actions.at(item), &QAction::triggered, this, handler);
}

void MainWindow::wireMenus() {
    Connection *link = m_connection;
    CommandController *commands = m_commands;
    ReplyPath *replies = m_replies;
    using M = MenuItem;
    on(M::ActivateLog, [replies] { replies->activateLog(); });
    on(M::DeactivateLog, [replies] { replies->deactivateLog(); });
    on(M::ClearTrace, [this] { m_traceList->clear(); });
    on(M::ClearOperation, [this] { m_operationList->clear(); });
    on(M::MaintainLink, [link] { link->maintainLink(); });
    on(M::Exit, [this] { close(); });
    on(M::Connect, [this] {
        const int row = m_grid->selectedRow();
        m_connection->connectTo(
            {row, m_grid->cell(row, 1), m_grid->cell(row, 2), m_traceList->count() > 0});
    });
    on(M::Disconnect, [link] { link->disconnectLogger(); });
    on(M::AbortConnection, [link] { link->abortConnection(); });
    for (const MenuEntry &entry : menuTree()) {
        if (const auto command = entry.command) {
            on(entry.item, [commands, command] { commands->sendFixed(*command); });
        }
    }
    on(M::ModifyParameters, [commands] { commands->openParameters(); });
    on(M::SyncWithPc, [commands] { commands->syncWithPc(); });
    on(M::RecApplication, [commands] { commands->openFtpSettings(); });
    on(M::TestAlarm, [commands] { commands->openTestAlarm(); });
    on(M::LinuxCommand, [commands] { commands->openLinuxCommand(); });
    on(M::HistoricCounter, [commands] { commands->openHistoricCounter(); });
    on(M::UpdateApplication, [link] { link->restart(catalogue::updateApplication()); });
    on(M::LocalUpdate, [link] { link->restart(catalogue::localUpdate()); });
    on(M::Reboot, [link] { link->restart(catalogue::reboot()); });
    on(M::About, [this] { showAbout(); });
}

void MainWindow::startUp() {
    loadLoggers();
    m_replyStatus->switchDisplayOn();
}

QString MainWindow::pathOf(const QString &fileName) const {
    return m_workDir.isEmpty() ? fileName : QDir(m_workDir).filePath(fileName);
}

void MainWindow::loadLoggers() {
    // The operator is told where the list was read from, or looked for: on standard
    // error always, and inside the grid while it is empty.
    const QString path = QFileInfo(pathOf(QStringLiteral("loggers.txt"))).absoluteFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    const FileRead read = readWholeFile(path);
    if (read.status != FileRead::Status::Ok) {
        m_grid->setEmptyHint(texts::emptyGridHint(folder));
        if (read.status == FileRead::Status::Missing) {
            tellOnStandardError(texts::listMissing(folder));
            return; // no list is no error
        }
        tellOnStandardError(texts::listUnreadable(path, read.reason));
        m_prompter.inform(texts::cannotRead(pathOf(QStringLiteral("loggers.txt")), read.reason),
                          Prompter::Icon::Warning);
        return;
    }
    const LoggerList list = parseLoggerList(read.bytes);
    m_grid->load(list);
    m_commands->setFtpAccount(list.ftp);
    const auto loggers = std::count_if(list.rows.begin(), list.rows.end(), [](const auto &row) {
        return std::any_of(row.begin(), row.end(),
                           [](const QByteArray &cell) { return !cell.isEmpty(); });
    });
    tellOnStandardError(texts::listRead(path, static_cast<int>(loggers)));
    m_grid->setEmptyHint(texts::noLoggersHint(path));
}

void MainWindow::onLoggerClicked(int row, int column) {
    m_listing.end();
    if (m_link->isConnected()) {
        m_prompter.inform(texts::kDisconnectBefore);
    } else if (column == 0) {
        m_grid->select(row);
    } else {
        openAddressDialog(row);
    }
}

void MainWindow::openAddressDialog(int row) {
    showSingle(m_addressDialog, [this, row] {
        auto *dialog = new IpPortDialog(m_grid->cell(row, 1), m_grid->cell(row, 2), this);
        // OK writes back to the row the texts came from: a click elsewhere meanwhile
        // must never hand one logger's address to another.
        connect(dialog, &IpPortDialog::accepted, this,
                [this, row](const QString &ip, const QString &port) {
                    m_grid->setCell(row, 1, ip);
                    m_grid->setCell(row, 2, port);
                });
        return dialog;
    });
}

void MainWindow::showAbout() {
    showSingle(m_about, [this] {
        auto *about = new AboutBox(this);
        // Centred on the console, like its dialogs.
        about->move(mapToGlobal(rect().center()) - about->rect().center());
        return about;
    });
}

void MainWindow::closeEvent(QCloseEvent *event) {
    // The window goes once the close-down has said goodbye and paused; until then the
    // close is held, and a second one changes nothing.
    if (m_connection->isClosedDown()) {
        event->accept();
        return;
    }
    event->ignore();
    m_connection->closeDown();
}
