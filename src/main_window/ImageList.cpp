#include "main_window/ImageList.h"

#include <QImage>

namespace {
const char *const Files[ImageList::Count] = {"01-back",      "02-forward", "03-stop",  "04-refresh",
                                             "05-home",      "06-search",  "07-print", "08-preview",
                                             "09-favorites", "10-history", "11-add"};
}

ImageList::ImageList()
{
    for (const char *name : Files) {
        QImage image = QImage(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(name)))
                           .convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & 0xFFFFFF) == MaskColor)
                    line[x] = 0;
            }
        }
        m_pictures.append(QPixmap::fromImage(image));
    }
}

QPixmap ImageList::picture(int index) const
{
    return index >= 1 && index <= count() ? m_pictures[index - 1] : QPixmap();
}

QIcon ImageList::icon(int index) const
{
    // One picture for every look: Qt greys it out itself for the disabled one.
    return QIcon(picture(index));
}
