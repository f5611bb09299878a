#pragma once

#include "lists/ListFile.h"

#include <QString>

class ListBox;
class QIcon;
class QPushButton;
class QWidget;

// What the Favorites and History windows have in common: a small fixed window, the list at the
// top and a row of buttons under it, each the one shared instance of its kind.
namespace ListWindow {

// Caption, icon, the fixed client size, a title bar with only the close box; deleted when closed.
void setUp(QWidget *window, const QString &caption, const QIcon &icon);
// The list, at its place in the window.
ListBox *addList(QWidget *window);
// A button of the row under the list, at the given left edge in twips.
QPushButton *addButton(QWidget *window, const char *name, const QString &caption, double left);
// Whether the list file was written; when not, the start-up window's status bar says why.
bool reported(const QString &fileName, const ListFile::Written &written);

} // namespace ListWindow
