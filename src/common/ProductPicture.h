#pragma once

#include <QIcon>
#include <QPixmap>

// The product's 96 x 96 picture: the About window shows it, the Favorites window carries it as
// its icon.
namespace ProductPicture {
QPixmap pixmap();
// The picture as a window icon, at its one size.
QIcon icon();
} // namespace ProductPicture
