#include "common/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

namespace WindowPlacement {

void centreOn(QWidget *window, const QWidget *anchor)
{
    if (!window || !anchor || !anchor->isVisible())
        return;
    const QWidget *anchorWindow = anchor->window();
    // A window not yet shown has no frame; its size is what the layout asks for.
    QSize size = window->size();
    if (!window->testAttribute(Qt::WA_Resized))
        size = size.expandedTo(window->sizeHint());
    QRect placed(QPoint(), size);
    placed.moveCenter(anchorWindow->frameGeometry().center());
    if (const QScreen *screen = anchorWindow->screen()) {
        const QRect available = screen->availableGeometry();
        placed.moveRight(qMin(placed.right(), available.right()));
        placed.moveBottom(qMin(placed.bottom(), available.bottom()));
        placed.moveLeft(qMax(placed.left(), available.left()));
        placed.moveTop(qMax(placed.top(), available.top()));
    }
    window->move(placed.topLeft());
}

} // namespace WindowPlacement
