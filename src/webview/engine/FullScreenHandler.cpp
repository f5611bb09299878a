#include "webview/engine/FullScreenHandler.h"

#include "webview/ui/FullScreenWindow.h"

#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineView>

FullScreenHandler::FullScreenHandler(QWebEngineView *view) : QObject(view), m_view(view)
{
    connect(view->page(), &QWebEnginePage::fullScreenRequested, this,
            &FullScreenHandler::handleFullScreenRequested);
}

void FullScreenHandler::handleFullScreenRequested(QWebEngineFullScreenRequest request)
{
    if (request.toggleOn() == isFullScreen()) {
        request.accept();
        return;
    }
    request.accept();
    if (request.toggleOn())
        m_window = new FullScreenWindow(m_view);
    else
        delete m_window;
}
