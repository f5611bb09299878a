#pragma once

#include <sys/types.h>

// Closes a program's windows as a window manager's close button does (WM_DELETE_WINDOW on the X
// display), so the program ends the way its user ends it: windows closed, data written out.
namespace WindowCloser {
// Asks every top-level window of the process to close; false when there is no X display or no
// such window.
bool closeWindowsOf(pid_t pid);
} // namespace WindowCloser
