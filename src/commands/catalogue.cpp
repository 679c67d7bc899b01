#include "commands/catalogue.h"

#include <array>
#include <cstring>

namespace catalogue {
namespace {

constexpr std::array<FixedCommand, 15> kFixed = {{
    {"Ver_Parametros", 3, ReplyOption::Listing},
    {"Version", 7, ReplyOption::Reset},
    {"Enviar_Fichero", 8, ReplyOption::Keep},
    {"SYNC", 9, ReplyOption::Reset},
    {"Aplicar_Parametros", 12, ReplyOption::Reset},
    {"Send_email", 13, ReplyOption::Reset},
    {"Send_email_close", 14, ReplyOption::Reset},
    {"SYNC_time", 15, ReplyOption::Reset},
    {"Del_Log", 16, ReplyOption::Reset},
    {"Show_Log", 17, ReplyOption::Reset},
    {"Enviar_Interrogacion", 18, ReplyOption::Reset},
    {"Registrar", 30, ReplyOption::Reset},
    {"ASK_GPRS", 42, ReplyOption::Reset},
    {"GPRSstart", 43, ReplyOption::Reset},
    {"ResetPassword", 44, ReplyOption::Reset},
}};

} // namespace

std::span<const FixedCommand> fixedCommands() {
    return kFixed;
}

const FixedCommand *findFixed(const char *action) {
    for (const auto &command : kFixed) {
        if (std::strcmp(command.action, action) == 0) {
            return &command;
        }
    }
    return nullptr;
}

} // namespace catalogue
