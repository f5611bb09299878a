#include "common/Twips.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace Twips {

int toPixels(double twips, double dpi)
{
    return static_cast<int>(std::lround(twips * dpi / PerInch));
}

double fromPixels(int pixels, double dpi)
{
    return pixels * PerInch / dpi;
}

QRect toPixels(const QRectF &twips, double dpi)
{
    return QRect(toPixels(twips.left(), dpi), toPixels(twips.top(), dpi),
                 toPixels(twips.width(), dpi), toPixels(twips.height(), dpi));
}

double dpiOf(const QWidget *widget)
{
    const QScreen *screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

void place(QWidget *widget, double left, double top, double width, double height)
{
    widget->setGeometry(toPixels(QRectF(left, top, width, height), dpiOf(widget)));
}

void useDesignFont(QWidget *window)
{
    QFont font = window->font();
    font.setPointSizeF(8);
    window->setFont(font);
}

} // namespace Twips
