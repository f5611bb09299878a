#include "webview/WebViewFactory.h"

#include <QtGlobal>
#include <utility>

namespace {
WebViewFactory::Maker &maker()
{
    static WebViewFactory::Maker current;
    return current;
}

WebViewFactory::Maker &defaultMaker()
{
    static WebViewFactory::Maker installed;
    return installed;
}
} // namespace

namespace WebViewFactory {

WebView *create(QWidget *parent)
{
    if (maker())
        return maker()(parent);
    if (!defaultMaker())
        qFatal("No web view maker: the engine's side of the web view was not installed");
    return defaultMaker()(parent);
}

void setDefault(Maker m)
{
    defaultMaker() = std::move(m);
}

void set(Maker m)
{
    maker() = std::move(m);
}

} // namespace WebViewFactory
