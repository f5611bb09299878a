#include "main_window/ToolbarStyle.h"

#include <QApplication>
#include <QPointer>
#include <QToolBar>

void ToolbarStyle::apply(QToolBar *toolbar)
{
    // One style for every window, alive as long as the application; it follows the
    // application's own style for everything but the sizes below.
    static QPointer<ToolbarStyle> shared;
    if (!shared) {
        shared = new ToolbarStyle;
        shared->setParent(qApp);
    }
    // A widget's style is not passed on to its children: the layout asks the toolbar, each
    // button and separator asks itself.
    toolbar->setStyle(shared);
    for (QWidget *child : toolbar->findChildren<QWidget *>())
        child->setStyle(shared);
}

int ToolbarStyle::pixelMetric(PixelMetric metric, const QStyleOption *option,
                              const QWidget *widget) const
{
    switch (metric) {
    case PM_ToolBarItemSpacing:
    case PM_ToolBarItemMargin:
        return 0;
    case PM_ToolBarFrameWidth:
        return 1;
    case PM_ToolBarSeparatorExtent:
        return 6;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize ToolbarStyle::sizeFromContents(ContentsType type, const QStyleOption *option,
                                     const QSize &contentsSize, const QWidget *widget) const
{
    // The picture and two pixels around it for the button's raised or pressed frame.
    if (type == CT_ToolButton)
        return contentsSize + QSize(4, 4);
    return QProxyStyle::sizeFromContents(type, option, contentsSize, widget);
}
