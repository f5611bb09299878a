#include "webview/ui/FullScreenWindow.h"

#include "webview/ui/FullScreenNotice.h"

#include <QAction>
#include <QBoxLayout>
#include <QWebEngineView>

FullScreenWindow::FullScreenWindow(QWebEngineView *view)
    : QWidget(view->parentWidget(), Qt::Window), m_view(view),
      m_home(qobject_cast<QBoxLayout *>(view->parentWidget()->layout())),
      m_index(m_home ? m_home->indexOf(view) : -1)
{
    auto *leave = new QAction(this);
    leave->setShortcut(Qt::Key_Escape);
    leave->setShortcutContext(Qt::WindowShortcut);
    connect(leave, &QAction::triggered, this,
            [this] { m_view->triggerPageAction(QWebEnginePage::ExitFullScreen); });
    addAction(leave);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    showFullScreen();
    view->setFocus();
    new FullScreenNotice(this);
}

FullScreenWindow::~FullScreenWindow()
{
    // Without its place the view goes with this window, as it would have with its own.
    if (!m_home)
        return;
    m_home->insertWidget(m_index, m_view);
    m_view->show();
    m_view->setFocus();
}
