#include "lists/ListWindow.h"

#include "common/MainWindows.h"
#include "common/Twips.h"
#include "lists/ListBox.h"

#include <QIcon>
#include <QPushButton>

namespace {
constexpr double ClientWidth = 5415;
constexpr double ClientHeight = 4575;
} // namespace

namespace ListWindow {

void setUp(QWidget *window, const QString &caption, const QIcon &icon)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setWindowTitle(caption);
    window->setWindowIcon(icon);
    Twips::useDesignFont(window);
    const double dpi = Twips::dpiOf(window);
    window->setFixedSize(Twips::toPixels(ClientWidth, dpi), Twips::toPixels(ClientHeight, dpi));
}

ListBox *addList(QWidget *window)
{
    auto *list = new ListBox(window);
    list->setObjectName(QStringLiteral("List1"));
    Twips::place(list, 120, 120, 5175, 3765);
    return list;
}

QPushButton *addButton(QWidget *window, const char *name, const QString &caption, double left)
{
    auto *button = new QPushButton(caption, window);
    button->setObjectName(QLatin1String(name));
    // Neither the default nor the cancel button: Enter and Esc press nothing.
    button->setAutoDefault(false);
    Twips::place(button, left, 3960, 1215, 495);
    return button;
}

bool reported(const QString &fileName, const ListFile::Written &written)
{
    if (!written)
        MainWindows::listWriteFailed(fileName, written.reason);
    return written.ok;
}

} // namespace ListWindow
