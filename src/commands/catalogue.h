#pragma once

#include <QString>
#include <span>

// The commands behind the menus: the fixed ones, six-byte frames without arguments sent
// by one shared handler, and the confirmed ones that make the logger restart.
namespace catalogue {

enum class Command {
    ListParameters,
    Version,
    SendFile,
    SyncWithServer,
    ApplyParameters,
    SendEmail,
    SendEmailAndClose,
    Ntp,
    DeleteLog,
    ShowLog,
    AskDevices,
    RegisterLogger,
    AskGprsSignal,
    GprsStart,
    ResetPassword,
};

// What a command does to the parameter listing before it is sent.
enum class ListingEffect {
    End,   // replies are only shown
    Begin, // operation lines are collected as parameters, into an emptied table
    Keep,  // left as it is
};

struct FixedCommand {
    Command command;
    int code;
    ListingEffect listing;
};

std::span<const FixedCommand> fixedCommands();
const FixedCommand &fixedCommand(Command command);

// A command that makes the logger restart: asked first, then sent, then the link is
// held for some half-second pauses before it is closed and the reconnect countdown runs.
struct RestartCommand {
    QString firstLine;
    QString secondLine;
    int code;
    int halfSecondPauses;
    int countdownSeconds;
    bool alsoWithoutConnection; // pauses, close and countdown even when nothing was sent
};

const RestartCommand &updateApplication();
const RestartCommand &localUpdate();
const RestartCommand &reboot();

} // namespace catalogue
