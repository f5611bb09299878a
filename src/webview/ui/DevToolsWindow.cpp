#include "webview/ui/DevToolsWindow.h"

#include "app/ProgramIcon.h"
#include "app/WindowPlacement.h"

#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

DevToolsWindow *DevToolsWindow::showFor(QWebEngineView *inspected)
{
    auto *window = inspected->findChild<DevToolsWindow *>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new DevToolsWindow(inspected);
        WindowPlacement::centreOn(window, inspected->window());
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

DevToolsWindow::DevToolsWindow(QWebEngineView *inspected) : QWidget(inspected, Qt::Window)
{
    setObjectName(QStringLiteral("DevToolsWindow"));
    setWindowTitle(tr("Developer Tools"));
    setWindowIcon(ProgramIcon::icon());
    // Owned by the page's view, so it goes with it; closed on its own, it goes at once and
    // the page is no longer inspected.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    auto *tools = new QWebEngineView(this);
    tools->setPage(new QWebEnginePage(inspected->page()->profile(), tools));
    inspected->page()->setDevToolsPage(tools->page());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tools);
    resize(900, 600);
}
