#include "app/Shutdown.h"

#include "webview/engine/BrowserProfile.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace Shutdown {

void deleteWindows()
{
    // Only windows without a parent: the others (popups, say) go with their owners. Collected
    // first, since deleting one window deletes the popups the list still names.
    QList<QWidget *> windows;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->parent())
            windows.append(window);
    }
    qDeleteAll(windows);
}

void closeWindows()
{
    QList<QPointer<QWidget>> shown;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            shown.append(window);
    }
    // Dialogs first: each one's loop ends, and what waited on it sees its safe answer.
    for (const QPointer<QWidget> &window : shown) {
        if (auto *dialog = qobject_cast<QDialog *>(window.data()))
            dialog->reject();
    }
    for (const QPointer<QWidget> &window : shown) {
        if (window && window->isVisible())
            window->close();
    }
}

namespace {
bool ending = false;
} // namespace

bool endedFromOutside()
{
    return ending;
}

void endOnSignal()
{
    if (ending)
        return;
    ending = true;
    // A page or a window that holds the end up does not keep the program: a logout waits only
    // so long before it kills what is left.
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(4500));
        std::_Exit(0);
    }).detach();
    closeWindows();
    // Every event loop ends, the dialogs' too; main() then releases the windows and the profile.
    QCoreApplication::exit(0);
}

void releaseWindowsAndProfile()
{
    deleteWindows();
    BrowserProfile::release();
}

} // namespace Shutdown
