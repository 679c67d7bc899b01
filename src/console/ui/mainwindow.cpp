#include "console/ui/mainwindow.h"

#include "about/ui/aboutbox.h"
#include "commands/catalogue.h"
#include "commands/ui/commandcontroller.h"
#include "console/clock.h"
#include "console/eventpump.h"
#include "console/filereader.h"
#include "console/link.h"
#include "console/texts.h"
#include "console/ui/connectioncontroller.h"
#include "console/ui/messageboxprompter.h"
#include "console/ui/singlewindow.h"
#include "loggers/loggerlist.h"
#include "loggers/ui/ipportdialog.h"
#include "loggers/ui/loggergrid.h"
#include "replies/ui/replypath.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

// The menu tree, in order. An entry whose parent is null sits on the bar.
struct MenuEntry {
    const char *parent;
    const char *name;
    const char *caption;
    bool submenu;
    bool hidden;
};

constexpr MenuEntry kMenus[] = {
    {nullptr, "menu", "File", true, false},
    {"menu", "Log", "Log", true, false},
    {"Log", "Activar_Log", "Activate", false, false},
    {"Log", "Desactivar_Log", "Deactivate", false, false},
    {"menu", "Borrar_Trace", "Clear trace screen", false, false},
    {"menu", "Borrar_Operacion", "Clear operation screen", false, false},
    {"menu", "mantencomm", "Maintain link", false, false},
    {"menu", "Salir", "Exit", false, false},
    {nullptr, "Comunicacion", "Communication", true, false},
    {"Comunicacion", "Conectar", "Connect", false, false},
    {"Comunicacion", "Desconectar", "Disconnect", false, false},
    {"Comunicacion", "Abort_conn", "Abort connection", false, false},
    {"Comunicacion", "Enlace_Radio", "Enlace Radio", false, true},
    {nullptr, "Operar", "Operation", true, false},
    {"Operar", "Version", "Version", false, false},
    {"Operar", "Parametros", "Parameters", true, false},
    {"Parametros", "Ver_Parametros", "List", false, false},
    {"Parametros", "Modificar_Parametros", "Modify", false, false},
    {"Parametros", "Aplicar_Parametros", "Apply", false, false},
    {"Parametros", "Enviar_Fichero", "Enviar Fichero", false, true},
    {"Operar", "SYNC", "Sync with Server", false, false},
    {"Operar", "SYNC_PC", "Sync with PC", false, false},
    {"Operar", "Enviar_Interrogacion", "Ask devices", false, false},
    {"Operar", "ASK_GPRS", "Ask GPRS signal", false, false},
    {"Operar", "Rec_app1", "Rec application", false, false},
    {"Operar", "Mv_app1_app", "Update application", false, false},
    {"Operar", "LocalUpdate", "Local rec and update application", false, false},
    {"Operar", "Send_email", "Enviar email (sin cierre)", false, true},
    {"Operar", "Send_email_close", "Envio email (CON cierre)", false, true},
    {"Operar", "Show_Log", "Ver Log", false, false},
    {"Operar", "Del_Log", "Borrar Log", false, true},
    {"Operar", "Reinicio", "Reboot ", false, false},
    {"Operar", "Alarm", "Test Alarm", false, false},
    {"Operar", "cmd_linux", "Linux command", false, false},
    {"Operar", "SYNC_time", "NTP", false, false},
    {"Operar", "Registrar", "Register logger", false, false},
    {"Operar", "GPRSstart", "GPRS start", false, false},
    {"Operar", "ResetPassword", "Reset Password", false, false},
    {nullptr, "Especificos", "Específicos", true, true},
    {"Especificos", "Contador", "Contador", true, true},
    {"Contador", "Contador_Historicos", "Grabación fichero Historico", false, true},
    {nullptr, "Ayuda", "Help", true, false},
    {"Ayuda", "Acerca_de", "About", false, false},
};

constexpr int kListScrollWidth = 10000;

// Gives every entry of a list the same wide extent, so the list scrolls
// horizontally over that width whatever the first entry's length.
class ScrollWidthDelegate final : public QStyledItemDelegate {
public:
    ScrollWidthDelegate(int width, QObject *parent) : QStyledItemDelegate(parent), m_width(width) {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        return {m_width, QStyledItemDelegate::sizeHint(option, index).height()};
    }

private:
    int m_width;
};

template <typename T> T *named(T *object, const char *name) {
    object->setObjectName(QLatin1String(name));
    return object;
}

} // namespace

// Resources of a static library are not registered by themselves.
static void initResources() {
    Q_INIT_RESOURCE(mirvane);
}

Main::Main(MainServices services, QWidget *parent)
    : QMainWindow(parent), m_prompter(services.prompter), m_clock(services.clock),
      m_pump(services.pump), m_workDir(services.workDir) {
    if (!m_prompter) {
        m_ownPrompter = std::make_unique<MessageBoxPrompter>(this);
        m_prompter = m_ownPrompter.get();
    }
    if (!m_clock) {
        m_ownClock = std::make_unique<SteadyClock>();
        m_clock = m_ownClock.get();
    }
    if (!m_pump) {
        m_ownPump = std::make_unique<QtEventPump>();
        m_pump = m_ownPump.get();
    }
    initResources();
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(texts::kMainCaption);
    setWindowIcon(QIcon(QStringLiteral(":/mirvane.png")));
    buildControls();
    buildMenus();
    m_connection = std::make_unique<ConnectionController>(*this);
    m_commands = std::make_unique<CommandController>(*this);
    m_replies = std::make_unique<ReplyPath>(*this);
    wireMenus();
}

Main::~Main() = default;

void Main::buildControls() {
    auto *central = new QWidget(this);
    central->setFixedSize(850, 633);
    setCentralWidget(central);

    auto *frame2 = named(new QFrame(central), "Frame2");
    frame2->setFrameShape(QFrame::Box);
    frame2->setGeometry(0, 0, 545, 49);
    auto *label3 = named(new QLabel(texts::kStripTitle, frame2), "Label3");
    label3->setGeometry(8, 16, 177, 17);
    m_cuenta = named(new QLabel(texts::kReconnecting, frame2), "Cuenta");
    m_cuenta->setGeometry(280, 16, 209, 25);
    m_cuenta->setAccessibleDescription(QStringLiteral("Reconnect countdown"));
    m_progress = named(new QProgressBar(frame2), "ProgressBar1");
    m_progress->setGeometry(344, 16, 193, 25);
    m_progress->setAccessibleName(QStringLiteral("Connection wait"));

    auto *frame1 = named(new QFrame(central), "Frame1");
    frame1->setFrameShape(QFrame::Box);
    frame1->setGeometry(552, 0, 297, 65);
    m_display = named(new QCheckBox(texts::kDisplay, frame1), "Check_Display");
    m_display->setGeometry(8, 8, 273, 22);
    m_display->setAccessibleDescription(QStringLiteral("Shows replies in the lists"));
    auto *label1 = named(new QLabel(texts::kLogAdded, frame1), "Label1");
    label1->setGeometry(8, 40, 73, 17);
    m_logSize = named(new QLabel(frame1), "Log_Size");
    m_logSize->setGeometry(80, 40, 169, 17);
    m_logSize->setAccessibleDescription(QStringLiteral("Session log state"));

    const auto makeList = [central](const char *name, const QString &accessible) {
        auto *list = named(new QListWidget(central), name);
        // Chatty loggers: uniform items keep appends cheap.
        list->setUniformItemSizes(true);
        list->setAccessibleName(accessible);
        list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        return list;
    };
    m_list1 = makeList("List1", QStringLiteral("Trace list"));
    m_list1->setGeometry(0, 48, 545, 436);
    m_list2 = makeList("List2", QStringLiteral("Operation list"));
    m_list2->setGeometry(0, 488, 545, 148);

    m_grid = named(new LoggerGrid(central), "TAVs");
    m_grid->setGeometry(552, 72, 297, 553);

    m_link = named(new Link(this), "Winsock1");
    m_timer1 = named(new QTimer(this), "Timer1");
    m_timer2 = named(new QTimer(this), "Timer2");
    connect(m_grid, &LoggerGrid::clicked, this, &Main::onGridClicked);
}

void Main::buildMenus() {
    QHash<QString, QMenu *> menus;
    for (const auto &entry : kMenus) {
        const QString caption = QString::fromUtf8(entry.caption);
        QMenu *parentMenu = entry.parent ? menus.value(QLatin1String(entry.parent)) : nullptr;
        QAction *action = nullptr;
        if (entry.submenu) {
            auto *menu = parentMenu ? parentMenu->addMenu(caption) : menuBar()->addMenu(caption);
            menu->setObjectName(QLatin1String(entry.name));
            menus.insert(QLatin1String(entry.name), menu);
            action = menu->menuAction();
        } else {
            action = parentMenu->addAction(caption);
        }
        action->setObjectName(QLatin1String(entry.name));
        if (entry.hidden) {
            action->setVisible(false);
            action->setEnabled(false);
        }
    }
}

QAction *Main::action(const char *name) const {
    const auto actions = findChildren<QAction *>(QLatin1String(name));
    return actions.isEmpty() ? nullptr : actions.first();
}

void Main::wireMenus() {
    const auto on = [this](const char *name, auto handler) {
        connect(action(name), &QAction::triggered, this, handler);
    };
    ConnectionController *link = m_connection.get();
    CommandController *commands = m_commands.get();
    ReplyPath *replies = m_replies.get();

    on("Activar_Log", [replies] { replies->activateLog(); });
    on("Desactivar_Log", [replies] { replies->deactivateLog(); });
    on("Borrar_Trace", [replies] { replies->clearTrace(); });
    on("Borrar_Operacion", [replies] { replies->clearOperation(); });
    on("mantencomm", [link] { link->maintainLink(); });
    on("Salir", [this] { close(); });
    on("Conectar", [link] { link->connectToSelected(); });
    on("Desconectar", [link] { link->disconnectLogger(); });
    on("Abort_conn", [link] { link->abortConnection(); });
    for (const auto &command : catalogue::fixedCommands()) {
        on(command.action, [commands, &command] { commands->sendFixed(command); });
    }
    on("Modificar_Parametros", [commands] { commands->openParameters(); });
    on("SYNC_PC", [commands] { commands->syncWithPc(); });
    on("Rec_app1", [commands] { commands->openFtpSettings(); });
    on("Alarm", [commands] { commands->openTestAlarm(); });
    on("cmd_linux", [commands] { commands->openLinuxCommand(); });
    on("Contador_Historicos", [commands] { commands->openHistoricCounter(); });
    on("Mv_app1_app", [replies] { replies->updateApplication(); });
    on("LocalUpdate", [replies] { replies->localUpdate(); });
    on("Reinicio", [replies] { replies->reboot(); });
    on("Acerca_de", [this] { showAbout(); });

    connect(m_timer1, &QTimer::timeout, this, [link] { link->countdownTick(); });
    connect(m_timer2, &QTimer::timeout, this, [link] { link->keepAliveTick(); });
    connect(m_display, &QCheckBox::clicked, this, [replies] { replies->displayClicked(); });
}

void Main::startUp() {
    m_cuenta->hide();
    m_timer1->stop();
    m_timer1->setInterval(1000);
    m_timer2->stop();
    m_timer2->setInterval(60000);
    // Long logger lines stay readable: 10000 pixels of horizontal scroll.
    for (QListWidget *list : {m_list1, m_list2}) {
        list->setItemDelegate(new ScrollWidthDelegate(kListScrollWidth, list));
    }
    m_grid->Init_Loggers();
    Load_Loggers();
    m_state.sel_row = 0;
    OFF_progressBar();
    // setChecked does not emit clicked: run the switch's click logic as the operator would.
    m_display->setChecked(true);
    m_replies->displayClicked();
}

QString Main::pathOf(const QString &fileName) const {
    return m_workDir.isEmpty() ? fileName : QDir(m_workDir).filePath(fileName);
}

void Main::Load_Loggers() {
    const QString path = pathOf(QStringLiteral("loggers.txt"));
    if (!QFileInfo::exists(path)) {
        return;
    }
    m_state.loggers_text = LoadFile(path);
    const LoggerList list = parseLoggerList(m_state.loggers_text);
    m_grid->load(list);
    m_state.ftp_user = list.ftpUser;
    m_state.ftp_pass = list.ftpPass;
    m_state.ftp_server = list.ftpServer;
}

QByteArray Main::LoadFile(const QString &filename) {
    const FileRead read = readWholeFile(filename);
    switch (read.status) {
    case FileRead::Status::Ok:
        return read.bytes;
    case FileRead::Status::Missing:
        m_prompter->inform(texts::kFileNotFound, Prompter::Icon::Information, texts::kAppTitle);
        break;
    case FileRead::Status::Unreadable:
        m_prompter->inform(texts::cannotRead(filename, read.reason), Prompter::Icon::Warning,
                           texts::kAppTitle);
        break;
    }
    return {};
}

void Main::ON_progressBar() {
    m_progress->setRange(0, 100);
    m_progress->show();
    m_progress->setValue(m_progress->minimum());
}

void Main::PUT_progressBar(int percent) {
    m_progress->setValue(std::clamp(percent, 0, 100));
}

void Main::OFF_progressBar() {
    m_progress->hide();
    m_progress->setValue(m_progress->minimum());
}

void Main::Fill_Parameters(const QByteArray &value_s) {
    m_params.fill(value_s);
}

void Main::onGridClicked(int row, int column) {
    m_state.sw_option = 0;
    if (m_link->isConnected()) {
        m_prompter->inform(texts::kDisconnectBefore);
        return;
    }
    if (column == 1 || column == 2) {
        openAddressDialog();
        return;
    }
    if (column == 0) {
        if (m_state.sel_row != 0) {
            m_grid->setMark(m_state.sel_row, LoggerGrid::Mark::None);
        }
        m_grid->setMark(row, LoggerGrid::Mark::Selected);
        m_state.sel_row = static_cast<qint16>(row);
    }
}

void Main::openAddressDialog() {
    showSingle(m_addressDialog, [this] {
        const int row = m_grid->current();
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

void Main::showAbout() {
    showSingle(m_about, [this] { return new AboutBox(this); });
}

void Main::closeEvent(QCloseEvent *event) {
    m_connection->closeDown();
    event->accept();
}
