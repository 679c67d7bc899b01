#pragma once

class QWidget;
class StopSignals;

// A kill, a desktop logout or Ctrl+C closes the window as its close box does: the close-down
// says goodbye to a connected logger, pauses half a second and closes, and the program ends
// with the window. Before the window is shown there is nothing to say goodbye to: start-up
// is cut short instead (received() then tells main() not to show the window).
const StopSignals &closeOnStopSignals(QWidget &window);
