// Bringing a process's main window to the front and minimising it.
#pragma once
#include "platform/process.h"

namespace krvx {

// Restores the process's main window when it is minimised, lets the foreground move and makes the window the
// foreground one. False when the process has a main window (the search stops there), true when it has none.
bool ActivateMainWindow(platform::ProcessId process);

// Minimises the process's main window. False when it has one, true when it has none.
bool MinimizeMainWindow(platform::ProcessId process);

}  // namespace krvx
