#include "webview/engine/PageBackground.h"

#include "webview/ColorScheme.h"

#include <QColor>
#include <QWebEnginePage>

namespace PageBackground {

void follow(QWebEnginePage *page)
{
    if (ColorScheme::current() != ColorScheme::Scheme::Dark)
        return;
    const QColor dark(0x20, 0x21, 0x24);
    page->setBackgroundColor(dark);
    QObject::connect(page, &QWebEnginePage::loadStarted, page,
                     [page, dark] { page->setBackgroundColor(dark); });
    // Qt 6.4 tells of no first paint. The new document's first layout (its size known) comes
    // just before it; the end of the load where the size stays the same.
    const auto painted = [page] {
        if (page->backgroundColor() != Qt::white)
            page->setBackgroundColor(Qt::white);
    };
    QObject::connect(page, &QWebEnginePage::contentsSizeChanged, page, painted);
    QObject::connect(page, &QWebEnginePage::loadFinished, page, painted);
}

} // namespace PageBackground
