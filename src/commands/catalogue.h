#pragma once

#include <QByteArray>
#include <span>

// The fixed commands behind the menus: six-byte frames without arguments,
// one row each, sent by one shared handler.
namespace catalogue {

// What a command does to the reply option before it is sent.
enum class ReplyOption {
    Reset,   // back to 0: replies are only shown
    Listing, // 1: operation lines are collected as parameters (and the table restarts)
    Keep,    // left as it is
};

struct FixedCommand {
    const char *action; // objectName of the menu action
    int code;
    ReplyOption option;
};

std::span<const FixedCommand> fixedCommands();
// Null when the action is not a fixed command.
const FixedCommand *findFixed(const char *action);

} // namespace catalogue
