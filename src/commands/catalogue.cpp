#include "commands/catalogue.h"

#include "console/texts.h"

#include <array>

namespace catalogue {
namespace {

constexpr std::array<FixedCommand, 15> kFixed = {{
    {Command::ListParameters, 3, ListingEffect::Begin},
    {Command::Version, 7, ListingEffect::End},
    {Command::SendFile, 8, ListingEffect::Keep},
    {Command::SyncWithServer, 9, ListingEffect::End},
    {Command::ApplyParameters, 12, ListingEffect::End},
    {Command::SendEmail, 13, ListingEffect::End},
    {Command::SendEmailAndClose, 14, ListingEffect::End},
    {Command::Ntp, 15, ListingEffect::End},
    {Command::DeleteLog, 16, ListingEffect::End},
    {Command::ShowLog, 17, ListingEffect::End},
    {Command::AskDevices, 18, ListingEffect::End},
    {Command::RegisterLogger, 30, ListingEffect::End},
    {Command::AskGprsSignal, 42, ListingEffect::End},
    {Command::GprsStart, 43, ListingEffect::End},
    {Command::ResetPassword, 44, ListingEffect::End},
}};

} // namespace

std::span<const FixedCommand> fixedCommands() {
    return kFixed;
}

const FixedCommand &fixedCommand(Command command) {
    // The table lists every Command once, in the enum's order.
    return kFixed[static_cast<std::size_t>(command)];
}

const RestartCommand &updateApplication() {
    static const RestartCommand command{texts::kCheckApp, texts::kConfirmUpdate, 11, 31, 60, false};
    return command;
}

const RestartCommand &localUpdate() {
    static const RestartCommand command{texts::kLocalOnly, texts::kConfirmUpdate, 31, 30, 20, true};
    return command;
}

const RestartCommand &reboot() {
    static const RestartCommand command{
        texts::kWarningBang, texts::kConfirmReboot, 5, 2, 60, false};
    return command;
}

} // namespace catalogue
