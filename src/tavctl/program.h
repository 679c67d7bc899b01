#pragma once

#include <QStringList>

namespace tavctl {

// The whole of tavctl on an existing QCoreApplication: reads the command line, the list and
// the arguments, refusing anything wrong before any logger is contacted; then works on the
// loggers and prints their results in list order. Returns the exit status: 0 all reached
// and ended well, 1 some not, 2 refused before any contact, 128 + the signal when stopped.
int runProgram(const QStringList &arguments);

} // namespace tavctl
