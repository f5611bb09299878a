#include "webview/WebView.h"

#include <utility>

namespace {
WebView::OptionsOpener &optionsOpener()
{
    static WebView::OptionsOpener opener;
    return opener;
}
} // namespace

WebView::WebView(QWidget *parent) : QWidget(parent) {}

void WebView::ShowOptions()
{
    // The settings stand in for the system's internet settings panel; they apply to every view.
    if (optionsOpener())
        optionsOpener()(LocationURL(), window());
}

void WebView::setOptionsOpener(OptionsOpener opener)
{
    optionsOpener() = std::move(opener);
}
