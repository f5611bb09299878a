#include "webview/engine/UserGestures.h"

#include <QApplication>
#include <QEvent>
#include <QWebEngineView>
#include <QWidget>

UserGestures::UserGestures() : QObject(qApp)
{
    // The view's input goes to widgets the engine makes (and remakes) inside it: watched at the
    // application, where every one of them passes.
    qApp->installEventFilter(this);
}

UserGestures &UserGestures::instance()
{
    static UserGestures *gestures = new UserGestures;
    return *gestures;
}

void UserGestures::note(QWebEnginePage *page)
{
    if (page)
        instance().add(page);
}

bool UserGestures::take(QWebEnginePage *page)
{
    const auto found = instance().m_acted.find(page);
    if (found == instance().m_acted.end() || !found.value())
        return false;
    found.value() = false;
    return true;
}

void UserGestures::add(QWebEnginePage *page)
{
    if (!m_acted.contains(page))
        connect(page, &QObject::destroyed, this, [this, page] { m_acted.remove(page); });
    m_acted.insert(page, true);
}

bool UserGestures::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::TouchBegin:
        // Only widgets, found by address: these events also reach the engine's own objects while
        // it takes them down, which must not be touched.
        if (!QApplication::allWidgets().contains(reinterpret_cast<QWidget *>(watched)))
            break;
        for (auto *widget = qobject_cast<QWidget *>(watched); widget;
             widget = widget->parentWidget()) {
            if (auto *view = qobject_cast<QWebEngineView *>(widget)) {
                add(view->page());
                break;
            }
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
