#include "app/Shutdown.h"

#include "webview/engine/BrowserProfile.h"

#include <QApplication>
#include <QWidget>

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

void releaseWindowsAndProfile()
{
    deleteWindows();
    BrowserProfile::release();
}

} // namespace Shutdown
