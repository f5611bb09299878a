#pragma once

#include "app/WindowPlacement.h"

#include <QPointer>
#include <QString>

class ListBox;
class QIcon;
class QPushButton;
class QWidget;

// What the Favorites and History windows have in common: a small fixed window, the list at the
// top and a row of buttons under it, one shared instance for the whole program.
namespace ListWindow {

// Caption, icon, the fixed client size, a title bar with only the close box; deleted when closed.
void setUp(QWidget *window, const QString &caption, const QIcon &icon);
// The list, at its place in the window.
ListBox *addList(QWidget *window);
// A button of the row under the list, at the given left edge in twips.
QPushButton *addButton(QWidget *window, const char *name, const QString &caption, double left);

// Creates and loads the shared window when there is none (or the last one was closed) and shows
// it, modeless and without an owner, centred on the main window that opened it; a window already
// shown is only brought to the front, where the user left it.
template <typename Window> Window *showShared(QPointer<Window> &shared, const QWidget *opener)
{
    if (!shared) {
        shared = new Window;
        shared->Form_Load();
        WindowPlacement::centreOn(shared, opener);
        shared->show();
        return shared;
    }
    shared->setWindowState(shared->windowState() & ~Qt::WindowMinimized);
    shared->show();
    shared->raise();
    shared->activateWindow();
    return shared;
}

} // namespace ListWindow
