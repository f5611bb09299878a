#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

// The toolbar's pictures: 32 x 32 in 24-bit colour, numbered from 1, with the mask colour
// 192,192,192 drawn transparent. Each serves the normal, hot and disabled looks of its button.
class ImageList {
public:
    static constexpr QRgb MaskColor = 0xC0C0C0;
    static constexpr int Count = 11;

    ImageList();

    int count() const { return m_pictures.size(); }
    // Picture `index`, from 1; a null pixmap for a number the list does not hold.
    QPixmap picture(int index) const;
    QIcon icon(int index) const;

private:
    QList<QPixmap> m_pictures;
};
