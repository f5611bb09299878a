#include "common/ProductPicture.h"

namespace ProductPicture {

QPixmap pixmap()
{
    return QPixmap(QStringLiteral(":/icons/picture-96.png"));
}

QIcon icon()
{
    return QIcon(pixmap());
}

} // namespace ProductPicture
