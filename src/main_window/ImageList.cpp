#include "main_window/ImageList.h"

#include <QBitmap>
#include <QImage>

namespace {
const char *const Files[ImageList::Count] = {"01-back",      "02-forward", "03-stop",  "04-refresh",
                                             "05-home",      "06-search",  "07-print", "08-preview",
                                             "09-favorites", "10-history", "11-add"};
}

ImageList::ImageList()
{
    for (const char *name : Files) {
        const QImage image(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(name)));
        QPixmap picture = QPixmap::fromImage(image.convertToFormat(QImage::Format_RGB32));
        picture.setMask(QBitmap::fromImage(
            image.createMaskFromColor(MaskColor | 0xFF000000u, Qt::MaskOutColor)));
        m_pictures.append(picture);
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
