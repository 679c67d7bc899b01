#include "commands/catalogue.h"

#include "base/texts.h"

#include <array>

namespace catalogue {
namespace {

constexpr RestartCommand kUpdate{.firstLine = &texts::kCheckApp,
                                 .secondLine = &texts::kConfirmUpdate,
                                 .code = 11,
                                 .halfSecondPauses = 31,
                                 .countdownSeconds = 60,
                                 .alsoWithoutConnection = false};
constexpr RestartCommand kLocalUpdate{.firstLine = &texts::kLocalOnly,
                                      .secondLine = &texts::kConfirmUpdate,
                                      .code = 31,
                                      .halfSecondPauses = 30,
                                      .countdownSeconds = 20,
                                      .alsoWithoutConnection = true};
constexpr RestartCommand kReboot{.firstLine = &texts::kWarningBang,
                                 .secondLine = &texts::kConfirmReboot,
                                 .code = 5,
                                 .halfSecondPauses = 2,
                                 .countdownSeconds = 60,
                                 .alsoWithoutConnection = false};

using C = Command;
using L = ListingEffect;

// One row per command, in the enum's order (checked below). The menu commands that send a
// frame set the listing aside first, all but the listing itself, the hidden "Enviar Fichero"
// and the dialogs' openers; so do Connect, Disconnect, a click in the grid and the close-down.
constexpr std::array<CommandEntry, kCommandCount> kCommands{{
    {.command = C::ActivateLog},
    {.command = C::DeactivateLog},
    {.command = C::ClearTrace},
    {.command = C::ClearOperation},
    {.command = C::MaintainLink},
    {.command = C::Exit},
    {.command = C::Connect, .listing = L::Forget},
    {.command = C::Disconnect, .listing = L::End},
    {.command = C::AbortConnection},
    {.command = C::Version, .listing = L::End, .fixedCode = 7},
    {.command = C::ListParameters, .listing = L::Begin, .fixedCode = 3},
    {.command = C::ModifyParameters, .listing = L::End},
    {.command = C::ApplyParameters, .listing = L::End, .fixedCode = 12},
    {.command = C::SendFile, .fixedCode = 8},
    {.command = C::SyncWithServer, .listing = L::End, .fixedCode = 9},
    {.command = C::SyncWithPc, .listing = L::End},
    {.command = C::AskDevices, .listing = L::End, .fixedCode = 18},
    {.command = C::AskGprsSignal, .listing = L::End, .fixedCode = 42},
    {.command = C::RecApplication},
    {.command = C::UpdateApplication, .listing = L::End, .restart = &kUpdate},
    {.command = C::LocalUpdate, .listing = L::End, .restart = &kLocalUpdate},
    {.command = C::SendEmail, .listing = L::End, .fixedCode = 13},
    {.command = C::SendEmailAndClose, .listing = L::End, .fixedCode = 14},
    {.command = C::ShowLog, .listing = L::End, .fixedCode = 17},
    {.command = C::DeleteLog, .listing = L::End, .fixedCode = 16},
    {.command = C::Reboot, .listing = L::End, .restart = &kReboot},
    {.command = C::TestAlarm},
    {.command = C::LinuxCommand},
    {.command = C::Ntp, .listing = L::End, .fixedCode = 15},
    {.command = C::RegisterLogger, .listing = L::End, .fixedCode = 30},
    {.command = C::GprsStart, .listing = L::End, .fixedCode = 43},
    {.command = C::ResetPassword, .listing = L::End, .fixedCode = 44},
    {.command = C::HistoricCounter},
    {.command = C::About},
    {.command = C::PickLogger, .listing = L::End},
    {.command = C::CloseDown, .listing = L::End},
}};

constexpr bool inEnumOrder() {
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        if (static_cast<std::size_t>(kCommands[i].command) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inEnumOrder(), "entry() looks commands up by their place in the enum");

} // namespace

const CommandEntry &entry(Command command) {
    return kCommands[static_cast<std::size_t>(command)];
}

} // namespace catalogue
