#pragma once

#include <QByteArray>

#include <functional>

// Where the simulator's activity log goes: one line per call, without a line end.
// The program writes to stderr; tests collect the lines.
using LogSink = std::function<void(const QByteArray &line)>;
