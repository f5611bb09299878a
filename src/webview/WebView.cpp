#include "webview/WebView.h"

#include "webview/ui/OptionsWindow.h"

WebView::WebView(QWidget *parent) : QWidget(parent) {}

void WebView::ShowOptions()
{
    // The settings stand in for the system's internet settings panel; they apply to every view.
    OptionsWindow::showShared(LocationURL(), window());
}
