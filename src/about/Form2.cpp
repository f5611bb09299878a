#include "about/Form2.h"

#include "common/ProductPicture.h"
#include "common/ProgramIcon.h"
#include "common/SharedWindow.h"
#include "common/Twips.h"

#include <QLabel>
#include <QPixmap>

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, Qt::Alignment alignment,
              double left, double top, double width, double height)
{
    auto *control = new QLabel(text, parent);
    control->setObjectName(QLatin1String(name));
    control->setTextFormat(Qt::PlainText);
    control->setAlignment(alignment | Qt::AlignVCenter);
    Twips::place(control, left, top, width, height);
    return control;
}

} // namespace

Form2::Form2(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About Zarvo Velmora  1.0"));
    setWindowIcon(ProgramIcon::icon());
    Twips::useDesignFont(this);
    const double dpi = Twips::dpiOf(this);
    setFixedSize(Twips::toPixels(4335, dpi), Twips::toPixels(1575, dpi));

    // The picture first, so the labels are drawn over it where they overlap.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap picture = ProductPicture::pixmap();
    Image1->setPixmap(picture);
    Image1->setAccessibleName(QStringLiteral("Zarvo Velmora picture"));
    Image1->setGeometry(Twips::toPixels(120, dpi), Twips::toPixels(120, dpi), picture.width(),
                        picture.height());

    Label1 = label(this, "Label1", QStringLiteral("Program:"), Qt::AlignRight, 1680, 240, 855, 255);
    Label2 = label(this, "Label2", QStringLiteral("Version:"), Qt::AlignRight, 1680, 600, 855, 255);
    Label3 =
        label(this, "Label3", QStringLiteral("Devloped By:"), Qt::AlignRight, 1440, 960, 1095, 255);
    Label4 =
        label(this, "Label4", QStringLiteral("Zarvo Velmora"), Qt::AlignLeft, 2640, 240, 1575, 255);
    Label5 = label(this, "Label5", QStringLiteral("1.0"), Qt::AlignLeft, 2640, 600, 1575, 255);
}

Form2 *Form2::showShared(const QWidget *opener)
{
    static SharedWindow<Form2> window;
    return window.show(opener);
}
