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
    // Qt 6.4 tells of no first paint; the end of the load is the nearest sign of it.
    QObject::connect(page, &QWebEnginePage::loadFinished, page,
                     [page] { page->setBackgroundColor(Qt::white); });
}

} // namespace PageBackground
