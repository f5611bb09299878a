#include "webview/WebViewFactory.h"

#include "webview/engine/EngineWebView.h"

namespace {
WebViewFactory::Maker &maker()
{
    static WebViewFactory::Maker current;
    return current;
}
} // namespace

namespace WebViewFactory {

WebView *create(QWidget *parent)
{
    if (maker())
        return maker()(parent);
    return new EngineWebView(parent);
}

void set(Maker m)
{
    maker() = std::move(m);
}

} // namespace WebViewFactory
