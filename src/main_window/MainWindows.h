#pragma once

class Form1;

// Every main window, in the order it was created. The Favorites and History windows act on the
// start-up main window; once that one is closed, the oldest main window still open stands in.
namespace MainWindows {
// Called by each main window as it is created.
void add(Form1 *window);
// The oldest main window still open. When none is open, a new one is loaded, shown and
// returned: the caller always gets a window the user can see, never a hidden one.
Form1 *startUpWindow();
// Whether the window is still open: created and not closed (it may be closed but not yet
// deleted, or never shown yet).
bool isOpen(const Form1 *window);
} // namespace MainWindows
