#pragma once

#include "commands/catalogue.h"

#include <map>
#include <optional>
#include <span>

class QAction;
class QMenuBar;

// Every entry of the console's menu bar.
enum class MenuItem {
    File,
    Log,
    ActivateLog,
    DeactivateLog,
    ClearTrace,
    ClearOperation,
    MaintainLink,
    Exit,
    Communication,
    Connect,
    Disconnect,
    AbortConnection,
    RadioLink,
    Operation,
    Version,
    Parameters,
    ListParameters,
    ModifyParameters,
    ApplyParameters,
    SendFile,
    SyncWithServer,
    SyncWithPc,
    AskDevices,
    AskGprsSignal,
    RecApplication,
    UpdateApplication,
    LocalUpdate,
    SendEmail,
    SendEmailAndClose,
    ShowLog,
    DeleteLog,
    Reboot,
    TestAlarm,
    LinuxCommand,
    Ntp,
    RegisterLogger,
    GprsStart,
    ResetPassword,
    Specific,
    Counter,
    HistoricCounter,
    Help,
    About,
};

// One row of the menu tree, in menu order. Hidden entries are invisible and disabled
// for good; a row with a command sends that fixed command.
struct MenuEntry {
    MenuItem item;
    std::optional<MenuItem> parent; // none: on the menu bar
    const char *name;               // the action's objectName
    const char *caption;            // UTF-8
    bool submenu;
    bool hidden;
    std::optional<catalogue::Command> command;
};

std::span<const MenuEntry> menuTree();

// Builds the whole tree on the bar; every entry's action, submenus' included.
std::map<MenuItem, QAction *> buildMenus(QMenuBar &bar);
