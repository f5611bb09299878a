#pragma once

#include <QList>
#include <QString>
#include <functional>

class QWidget;

// Every main window, in the order it was created. The Favorites and History windows act on the
// start-up main window; once that one is closed, the oldest main window still open stands in.
// The registry knows main windows only as widgets: what it needs of one, the main window's own
// code installs with its first window.
namespace MainWindows {
struct Calls {
    // A new main window, loaded as a start loads one, and shown.
    std::function<QWidget *()> openNew;
    // Its web view goes to the address; the text of its address box.
    std::function<void(QWidget *window, const QString &address)> navigate;
    std::function<QString(const QWidget *window)> address;
    // It says that a list file could not be written.
    std::function<void(QWidget *window, const QString &fileName, const QString &reason)>
        listWriteFailed;
};
void install(Calls calls);

// Called by each main window as it is created.
void add(QWidget *window);
// The oldest main window still open. When none is open, a new one is loaded, shown and
// returned: the caller always gets a window the user can see, never a hidden one.
QWidget *startUpWindow();
// What the Favorites and History windows do with the start-up window: send its web view to an
// address, and read its address box. Either may load and show a new main window first, as
// startUpWindow does.
void navigateStartUpOrNew(const QString &address);
QString startUpAddressOrNew();
// A list file the Favorites or History window wrote could not be written: the start-up window
// says so (no window is opened for it).
void listWriteFailed(const QString &fileName, const QString &reason);
// Whether the window is still open: created and not closed (it may be closed but not yet
// deleted, or never shown yet).
bool isOpen(const QWidget *window);
// The main windows open, in the order they were created.
QList<QWidget *> openWindows();
// Called once a main window is made (from the event loop, its controls all there) and when it is
// closed (as it hides, its controls still there).
using Watcher = std::function<void(QWidget *window, bool opened)>;
void watch(Watcher watcher);
} // namespace MainWindows
