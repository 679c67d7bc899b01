#include "app/menutree.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <map>
#include <optional>
#include <string_view>

namespace {

// One entry of the console's menu bar, in menu order. Hidden entries are invisible and
// disabled for good; an entry with a command runs it when chosen.
struct MenuEntry {
    const char *name;             // the action's objectName (and the submenu's)
    const char *caption;          // UTF-8
    const char *parent = nullptr; // the name of the submenu it is in; none: on the menu bar
    bool submenu = false;
    bool hidden = false;
    std::optional<catalogue::Command> command = std::nullopt;
};

using C = catalogue::Command;

const MenuEntry kMenus[] = {
    {.name = "menu", .caption = "File", .submenu = true},
    {.name = "Log", .caption = "Log", .parent = "menu", .submenu = true},
    {.name = "Activar_Log", .caption = "Activate", .parent = "Log", .command = C::ActivateLog},
    {.name = "Desactivar_Log",
     .caption = "Deactivate",
     .parent = "Log",
     .command = C::DeactivateLog},
    {.name = "Borrar_Trace",
     .caption = "Clear trace screen",
     .parent = "menu",
     .command = C::ClearTrace},
    {.name = "Borrar_Operacion",
     .caption = "Clear operation screen",
     .parent = "menu",
     .command = C::ClearOperation},
    {.name = "mantencomm",
     .caption = "Maintain link",
     .parent = "menu",
     .command = C::MaintainLink},
    {.name = "Salir", .caption = "Exit", .parent = "menu", .command = C::Exit},
    {.name = "Comunicacion", .caption = "Communication", .submenu = true},
    {.name = "Conectar", .caption = "Connect", .parent = "Comunicacion", .command = C::Connect},
    {.name = "Desconectar",
     .caption = "Disconnect",
     .parent = "Comunicacion",
     .command = C::Disconnect},
    {.name = "Abort_conn",
     .caption = "Abort connection",
     .parent = "Comunicacion",
     .command = C::AbortConnection},
    {.name = "Enlace_Radio", .caption = "Enlace Radio", .parent = "Comunicacion", .hidden = true},
    {.name = "Operar", .caption = "Operation", .submenu = true},
    {.name = "Version", .caption = "Version", .parent = "Operar", .command = C::Version},
    {.name = "Parametros", .caption = "Parameters", .parent = "Operar", .submenu = true},
    {.name = "Ver_Parametros",
     .caption = "List",
     .parent = "Parametros",
     .command = C::ListParameters},
    {.name = "Modificar_Parametros",
     .caption = "Modify",
     .parent = "Parametros",
     .command = C::ModifyParameters},
    {.name = "Aplicar_Parametros",
     .caption = "Apply",
     .parent = "Parametros",
     .command = C::ApplyParameters},
    {.name = "Enviar_Fichero",
     .caption = "Enviar Fichero",
     .parent = "Parametros",
     .hidden = true,
     .command = C::SendFile},
    {.name = "SYNC",
     .caption = "Sync with Server",
     .parent = "Operar",
     .command = C::SyncWithServer},
    {.name = "SYNC_PC", .caption = "Sync with PC", .parent = "Operar", .command = C::SyncWithPc},
    {.name = "Enviar_Interrogacion",
     .caption = "Ask devices",
     .parent = "Operar",
     .command = C::AskDevices},
    {.name = "ASK_GPRS",
     .caption = "Ask GPRS signal",
     .parent = "Operar",
     .command = C::AskGprsSignal},
    {.name = "Rec_app1",
     .caption = "Rec application",
     .parent = "Operar",
     .command = C::RecApplication},
    {.name = "Mv_app1_app",
     .caption = "Update application",
     .parent = "Operar",
     .command = C::UpdateApplication},
    {.name = "LocalUpdate",
     .caption = "Local rec and update application",
     .parent = "Operar",
     .command = C::LocalUpdate},
    {.name = "Send_email",
     .caption = "Enviar email (sin cierre)",
     .parent = "Operar",
     .hidden = true,
     .command = C::SendEmail},
    {.name = "Send_email_close",
     .caption = "Envio email (CON cierre)",
     .parent = "Operar",
     .hidden = true,
     .command = C::SendEmailAndClose},
    {.name = "Show_Log", .caption = "Ver Log", .parent = "Operar", .command = C::ShowLog},
    {.name = "Del_Log",
     .caption = "Borrar Log",
     .parent = "Operar",
     .hidden = true,
     .command = C::DeleteLog},
    {.name = "Reinicio", .caption = "Reboot ", .parent = "Operar", .command = C::Reboot},
    {.name = "Alarm", .caption = "Test Alarm", .parent = "Operar", .command = C::TestAlarm},
    {.name = "cmd_linux",
     .caption = "Linux command",
     .parent = "Operar",
     .command = C::LinuxCommand},
    {.name = "SYNC_time", .caption = "NTP", .parent = "Operar", .command = C::Ntp},
    {.name = "Registrar",
     .caption = "Register logger",
     .parent = "Operar",
     .command = C::RegisterLogger},
    {.name = "GPRSstart", .caption = "GPRS start", .parent = "Operar", .command = C::GprsStart},
    {.name = "ResetPassword",
     .caption = "Reset Password",
     .parent = "Operar",
     .command = C::ResetPassword},
    {.name = "Especificos", .caption = "Específicos", .submenu = true, .hidden = true},
    {.name = "Contador",
     .caption = "Contador",
     .parent = "Especificos",
     .submenu = true,
     .hidden = true},
    {.name = "Contador_Historicos",
     .caption = "Grabación fichero Historico",
     .parent = "Contador",
     .hidden = true,
     .command = C::HistoricCounter},
    {.name = "Ayuda", .caption = "Help", .submenu = true},
    {.name = "Acerca_de", .caption = "About", .parent = "Ayuda", .command = C::About},
};

} // namespace

void buildMenus(QMenuBar &bar, const std::function<void(catalogue::Command)> &choose) {
    std::map<std::string_view, QMenu *> menus;
    for (const MenuEntry &entry : kMenus) {
        const QString caption = QString::fromUtf8(entry.caption);
        QMenu *parent = entry.parent ? menus.at(entry.parent) : nullptr;
        QAction *action = nullptr;
        if (entry.submenu) {
            QMenu *menu = parent ? parent->addMenu(caption) : bar.addMenu(caption);
            menu->setObjectName(QLatin1String(entry.name));
            menus.emplace(entry.name, menu);
            action = menu->menuAction();
        } else {
            action = parent->addAction(caption);
        }
        action->setObjectName(QLatin1String(entry.name));
        if (entry.hidden) {
            action->setVisible(false);
            action->setEnabled(false);
        }
        if (const auto command = entry.command) {
            QObject::connect(action, &QAction::triggered, &bar,
                             [choose, command = *command] { choose(command); });
        }
    }
}
