#include "app/mainwindow.h"

#include "about/ui/aboutbox.h"
#include "app/commandcontroller.h"
#include "app/consolelayout.h"
#include "app/menukeys.h"
#include "app/menutree.h"
#include "base/texts.h"
#include "base/ui/singlewindow.h"
#include "console/console.h"
#include "link/ui/statusstrip.h"
#include "loggers/ui/ipportdialog.h"
#include "loggers/ui/loggergrid.h"
#include "replies/ui/replylist.h"
#include "replies/ui/replylistmenu.h"
#include "replies/ui/replystatusbox.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <functional>

// Resources of a static library are not registered by themselves.
static void initResources() {
    Q_INIT_RESOURCE(mirvane);
}

static_assert(LoggerGrid::kReferenceWidth == ConsoleLayout::kGridWidth);

namespace {

// The window's central area: asks for the reference size (or what a larger font needs) and
// places the parts again whenever its size changes.
class ConsoleArea final : public QWidget {
public:
    using Needs = std::function<ConsoleLayout::Needs()>;
    ConsoleArea(Needs needs, std::function<void(const ConsoleLayout &)> apply)
        : m_needs(std::move(needs)), m_apply(std::move(apply)) {}
    QSize sizeHint() const override { return ConsoleLayout::preferredArea(m_needs()); }
    QSize minimumSizeHint() const override { return ConsoleLayout::minimumArea(m_needs()); }
    void relayout() {
        setMinimumSize(minimumSizeHint());
        m_apply(ConsoleLayout::place(size(), m_needs()));
    }

protected:
    void resizeEvent(QResizeEvent *event) override {
        QWidget::resizeEvent(event);
        relayout();
    }
    void changeEvent(QEvent *event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
            updateGeometry();
            relayout();
        }
    }

private:
    Needs m_needs;
    std::function<void(const ConsoleLayout &)> m_apply;
};

// How tall a box must be for its controls, placed at the reference spots and grown with the
// font: the reference, or the lowest control and the same eight-pixel margin below it.
int neededHeight(const QWidget &box, int reference) {
    int bottom = 0;
    for (const QWidget *control : box.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        bottom = std::max(bottom, control->geometry().bottom());
    }
    return std::max(reference, bottom + 1 + 8);
}

} // namespace

MainWindow::MainWindow(Console &console, Prompter &prompter, QWidget *parent)
    : QMainWindow(parent), m_console(console), m_forms(new CommandController(console, this)),
      m_statusStrip(new StatusStrip), m_replyStatus(new ReplyStatusBox),
      m_traceList(new ReplyList(ReplyList::Part::Trace)),
      m_operationList(new ReplyList(ReplyList::Part::Operation)), m_grid(new LoggerGrid) {
    initResources();
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(texts::kMainCaption);
    setWindowIcon(QIcon(QStringLiteral(":/mirvane.png")));
    layOut();
    wire();
    new ReplyListMenu(*m_traceList, texts::kSaveTraceList, QStringLiteral("trace.txt"), prompter);
    new ReplyListMenu(*m_operationList, texts::kSaveOperationList, QStringLiteral("operation.txt"),
                      prompter);
    buildMenus(*menuBar(), [this](catalogue::Command command) { choose(command); });
    new MenuKeys(*menuBar());
}

MainWindow::~MainWindow() = default;

void MainWindow::layOut() {
    auto *area = new ConsoleArea(
        [this] {
            return ConsoleLayout::Needs{m_grid->neededWidth(),
                                        neededHeight(*m_statusStrip, ConsoleLayout::kStripHeight),
                                        neededHeight(*m_replyStatus, ConsoleLayout::kStatusHeight)};
        },
        [this](const ConsoleLayout &layout) {
            m_statusStrip->setGeometry(layout.strip);
            m_replyStatus->setGeometry(layout.status);
            m_traceList->setGeometry(layout.trace);
            m_operationList->setGeometry(layout.operation);
            m_grid->setGeometry(layout.grid);
        });
    for (QWidget *part :
         {static_cast<QWidget *>(m_statusStrip), static_cast<QWidget *>(m_replyStatus),
          static_cast<QWidget *>(m_traceList), static_cast<QWidget *>(m_operationList),
          static_cast<QWidget *>(m_grid)}) {
        part->setParent(area);
    }
    setCentralWidget(area);
    area->relayout();
    // Tab follows what the operator sees: the loggers, the display switch, then the lists.
    setTabOrder(m_grid, m_replyStatus);
    setTabOrder(m_replyStatus, m_traceList);
    setTabOrder(m_traceList, m_operationList);
}

void MainWindow::fitToScreen() {
    // The reference size, or less where the screen is smaller: a window taller than the
    // screen hides the operation list and the grid's last rows.
    const QScreen *screen = this->screen();
    if (!screen) {
        return;
    }
    const QRect available = screen->availableGeometry();
    // The window manager's title bar is not known before the window is shown.
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const QSize wanted = sizeHint();
    const QSize fitting = wanted.boundedTo(available.size() - QSize(0, titleBar));
    resize(fitting);
    if (fitting != wanted) {
        move(available.topLeft());
    }
}

void MainWindow::wire() {
    Connection *link = &m_console.connection();
    ReplyPath *replies = &m_console.replies();
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
        connect(replies, &ReplyPath::linesArrived, list, &ReplyList::appendLines);
        connect(replies, &ReplyPath::remainderArrived, list, &ReplyList::appendRemainder);
        connect(replies, &ReplyPath::arrivalEnded, list, &ReplyList::showArrived);
        connect(m_replyStatus, &ReplyStatusBox::displaySwitched, list, &ReplyList::setShowing);
    }
    connect(replies, &ReplyPath::logCaptionChanged, m_replyStatus, &ReplyStatusBox::setLogCaption);
}

void MainWindow::choose(catalogue::Command command) {
    using C = catalogue::Command;
    if (command == C::Connect) {
        const int row = m_grid->selectedRow();
        m_console.connectTo(
            {row, m_grid->cell(row, 1), m_grid->cell(row, 2), m_traceList->count() > 0});
        return;
    }
    if (command == C::Exit) {
        close();
        return;
    }
    if (!m_console.perform(command) || m_forms->openForm(command)) {
        return;
    }
    // What only the window can do.
    switch (command) {
    case C::ClearTrace:
        m_traceList->clear();
        break;
    case C::ClearOperation:
        m_operationList->clear();
        break;
    case C::About:
        showAbout();
        break;
    default:
        break;
    }
}

void MainWindow::startUp(const QString &exampleList) {
    const Console::LoggerListRead read = m_console.loadLoggers(exampleList);
    m_grid->load(read.list);
    m_grid->setEmptyHint(read.emptyGridHint);
    m_replyStatus->switchDisplayOn();
    fitToScreen();
}

void MainWindow::onLoggerClicked(int row, int column) {
    if (!m_console.pickLogger()) {
        return;
    }
    if (column == 0) {
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
        connect(dialog, &IpPortDialog::submitted, this,
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
    if (m_console.connection().isClosedDown()) {
        event->accept();
        return;
    }
    event->ignore();
    m_console.closeDown();
}
