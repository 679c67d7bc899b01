#include "console/ui/menutree.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

using M = MenuItem;
using C = catalogue::Command;

const MenuEntry kMenus[] = {
    {M::File, std::nullopt, "menu", "File", true, false, std::nullopt},
    {M::Log, M::File, "Log", "Log", true, false, std::nullopt},
    {M::ActivateLog, M::Log, "Activar_Log", "Activate", false, false, std::nullopt},
    {M::DeactivateLog, M::Log, "Desactivar_Log", "Deactivate", false, false, std::nullopt},
    {M::ClearTrace, M::File, "Borrar_Trace", "Clear trace screen", false, false, std::nullopt},
    {M::ClearOperation, M::File, "Borrar_Operacion", "Clear operation screen", false, false,
     std::nullopt},
    {M::MaintainLink, M::File, "mantencomm", "Maintain link", false, false, std::nullopt},
    {M::Exit, M::File, "Salir", "Exit", false, false, std::nullopt},
    {M::Communication, std::nullopt, "Comunicacion", "Communication", true, false, std::nullopt},
    {M::Connect, M::Communication, "Conectar", "Connect", false, false, std::nullopt},
    {M::Disconnect, M::Communication, "Desconectar", "Disconnect", false, false, std::nullopt},
    {M::AbortConnection, M::Communication, "Abort_conn", "Abort connection", false, false,
     std::nullopt},
    {M::RadioLink, M::Communication, "Enlace_Radio", "Enlace Radio", false, true, std::nullopt},
    {M::Operation, std::nullopt, "Operar", "Operation", true, false, std::nullopt},
    {M::Version, M::Operation, "Version", "Version", false, false, C::Version},
    {M::Parameters, M::Operation, "Parametros", "Parameters", true, false, std::nullopt},
    {M::ListParameters, M::Parameters, "Ver_Parametros", "List", false, false, C::ListParameters},
    {M::ModifyParameters, M::Parameters, "Modificar_Parametros", "Modify", false, false,
     std::nullopt},
    {M::ApplyParameters, M::Parameters, "Aplicar_Parametros", "Apply", false, false,
     C::ApplyParameters},
    {M::SendFile, M::Parameters, "Enviar_Fichero", "Enviar Fichero", false, true, C::SendFile},
    {M::SyncWithServer, M::Operation, "SYNC", "Sync with Server", false, false, C::SyncWithServer},
    {M::SyncWithPc, M::Operation, "SYNC_PC", "Sync with PC", false, false, std::nullopt},
    {M::AskDevices, M::Operation, "Enviar_Interrogacion", "Ask devices", false, false,
     C::AskDevices},
    {M::AskGprsSignal, M::Operation, "ASK_GPRS", "Ask GPRS signal", false, false, C::AskGprsSignal},
    {M::RecApplication, M::Operation, "Rec_app1", "Rec application", false, false, std::nullopt},
    {M::UpdateApplication, M::Operation, "Mv_app1_app", "Update application", false, false,
     std::nullopt},
    {M::LocalUpdate, M::Operation, "LocalUpdate", "Local rec and update application", false, false,
     std::nullopt},
    {M::SendEmail, M::Operation, "Send_email", "Enviar email (sin cierre)", false, true,
     C::SendEmail},
    {M::SendEmailAndClose, M::Operation, "Send_email_close", "Envio email (CON cierre)", false,
     true, C::SendEmailAndClose},
    {M::ShowLog, M::Operation, "Show_Log", "Ver Log", false, false, C::ShowLog},
    {M::DeleteLog, M::Operation, "Del_Log", "Borrar Log", false, true, C::DeleteLog},
    {M::Reboot, M::Operation, "Reinicio", "Reboot ", false, false, std::nullopt},
    {M::TestAlarm, M::Operation, "Alarm", "Test Alarm", false, false, std::nullopt},
    {M::LinuxCommand, M::Operation, "cmd_linux", "Linux command", false, false, std::nullopt},
    {M::Ntp, M::Operation, "SYNC_time", "NTP", false, false, C::Ntp},
    {M::RegisterLogger, M::Operation, "Registrar", "Register logger", false, false,
     C::RegisterLogger},
    {M::GprsStart, M::Operation, "GPRSstart", "GPRS start", false, false, C::GprsStart},
    {M::ResetPassword, M::Operation, "ResetPassword", "Reset Password", false, false,
     C::ResetPassword},
    {M::Specific, std::nullopt, "Especificos", "Específicos", true, true, std::nullopt},
    {M::Counter, M::Specific, "Contador", "Contador", true, true, std::nullopt},
    {M::HistoricCounter, M::Counter, "Contador_Historicos", "Grabación fichero Historico", false,
     true, std::nullopt},
    {M::Help, std::nullopt, "Ayuda", "Help", true, false, std::nullopt},
    {M::About, M::Help, "Acerca_de", "About", false, false, std::nullopt},
};

} // namespace

std::span<const MenuEntry> menuTree() {
    return kMenus;
}

std::map<MenuItem, QAction *> buildMenus(QMenuBar &bar) {
    std::map<MenuItem, QAction *> actions;
    std::map<MenuItem, QMenu *> menus;
    for (const MenuEntry &entry : kMenus) {
        const QString caption = QString::fromUtf8(entry.caption);
        QMenu *parent = entry.parent ? menus.at(*entry.parent) : nullptr;
        QAction *action = nullptr;
        if (entry.submenu) {
            QMenu *menu = parent ? parent->addMenu(caption) : bar.addMenu(caption);
            menu->setObjectName(QLatin1String(entry.name));
            menus.emplace(entry.item, menu);
            action = menu->menuAction();
        } else {
            action = parent->addAction(caption);
        }
        action->setObjectName(QLatin1String(entry.name));
        if (entry.hidden) {
            action->setVisible(false);
            action->setEnabled(false);
        }
        actions.emplace(entry.item, action);
    }
    return actions;
}
