#include "webview/ui/DevToolsWindow.h"

#include "common/ProgramIcon.h"
#include "common/WindowPlacement.h"

#include <QCloseEvent>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

DevToolsWindow *DevToolsWindow::showFor(QWebEngineView *inspected)
{
    DevToolsWindow *window = nullptr;
    for (DevToolsWindow *open :
         inspected->findChildren<DevToolsWindow *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!open->m_closed)
            window = open;
    }
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

void DevToolsWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // Deleted later: from now on the page gets a new window.
    m_closed = event->isAccepted();
}
