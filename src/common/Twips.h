#pragma once

#include <QRect>

class QWidget;

// Window geometry is designed in twips (1/1440 inch); on screen a twip is 1440 / DPI of a pixel.
namespace Twips {
constexpr double PerInch = 1440.0;

int toPixels(double twips, double dpi);
double fromPixels(int pixels, double dpi);
QRect toPixels(const QRectF &twips, double dpi);
// The logical DPI of the screen the widget is on (of the primary screen before it is shown).
double dpiOf(const QWidget *widget);
// Places a widget at a rectangle given in twips.
void place(QWidget *widget, double left, double top, double width, double height);
// The twip geometry of the windows was laid out for an 8-point dialog font; a larger desktop
// font would clip the captions, so a window designed in twips uses that size.
void useDesignFont(QWidget *window);
} // namespace Twips
