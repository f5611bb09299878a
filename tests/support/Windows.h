#pragma once

#include <QApplication>
#include <QList>
#include <QWidget>

// The program's shown windows of one kind, in no particular order.
template <typename Window> QList<Window *> shownWindows()
{
    QList<Window *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<Window *>(widget); window && window->isVisible())
            windows.append(window);
    }
    return windows;
}
