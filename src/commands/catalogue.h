#pragma once

#include <QString>
#include <cstddef>

// Everything the operator can ask of the console, and what each command does before anything
// else: the question it asks first, and its effect on the parameter listing. The fixed
// commands send a six-byte frame without arguments; the restart commands make the logger
// restart after a question.
namespace catalogue {

enum class Command {
    ActivateLog,
    DeactivateLog,
    ClearTrace,
    ClearOperation,
    MaintainLink,
    Exit,
    Connect,
    Disconnect,
    AbortConnection,
    Version,
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
    HistoricCounter,
    About,
    PickLogger, // a click on a logger in the grid
    CloseDown,  // the window is about to close
};
inline constexpr std::size_t kCommandCount = static_cast<std::size_t>(Command::CloseDown) + 1;

// What a command does to the parameter listing, the one link between commands and replies.
enum class ListingEffect {
    Keep,   // left as it is
    End,    // replies are only shown from now on
    Begin,  // operation lines are collected as parameters, into an emptied table
    Forget, // ended, and what was collected forgotten (a new connection)
};

// A command that makes the logger restart: asked first, then sent, then the link is held
// for some half-second pauses before it is closed and the reconnect countdown runs.
struct RestartCommand {
    const QString *firstLine;
    const QString *secondLine;
    int code;
    int halfSecondPauses;
    int countdownSeconds;
    bool alsoWithoutConnection; // pauses, close and countdown even when nothing was sent
};

struct CommandEntry {
    Command command;
    ListingEffect listing = ListingEffect::Keep;
    int fixedCode = 0;                       // 0: no fixed frame
    const RestartCommand *restart = nullptr; // set for the restart commands
};

const CommandEntry &entry(Command command);

} // namespace catalogue
