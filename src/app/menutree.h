#pragma once

#include "commands/catalogue.h"

#include <functional>

class QMenuBar;

// The console's menu bar, every entry in order as the operators know it: builds the whole tree
// on the bar, hidden entries invisible and disabled for good; choosing an entry calls `choose`
// with its command.
void buildMenus(QMenuBar &bar, const std::function<void(catalogue::Command)> &choose);
