#pragma once

#include <QList>
#include <functional>

class Form1;
class QString;
class WebView;

// Every main window, in the order it was created. The Favorites and History windows act on the
// start-up main window; once that one is closed, the oldest main window still open stands in.
namespace MainWindows {
// Called by each main window as it is created.
void add(Form1 *window);
// The oldest main window still open. When none is open, a new one is loaded, shown and
// returned: the caller always gets a window the user can see, never a hidden one.
Form1 *startUpWindow();
// What the Favorites and History windows use of the start-up window: its web view, and the text
// of its address box. Either may load and show a new main window first, as startUpWindow does.
WebView *startUpViewOrNew();
QString startUpAddressOrNew();
// A list file the Favorites or History window wrote could not be written: the start-up window
// says so (no window is opened for it).
void listWriteFailed(const QString &fileName, const QString &reason);
// Whether the window is still open: created and not closed (it may be closed but not yet
// deleted, or never shown yet).
bool isOpen(const Form1 *window);
// The main windows open, in the order they were created.
QList<Form1 *> openWindows();
// Called once a main window is made (from the event loop, its controls all there) and when it is
// closed (as it hides, its controls still there).
using Watcher = std::function<void(Form1 *window, bool opened)>;
void watch(Watcher watcher);
} // namespace MainWindows
