#include "app/CaretRest.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

CaretRest::CaretRest(int restAfterMs, QObject *parent)
    : QObject(parent), m_flashTime(QGuiApplication::styleHints()->cursorFlashTime())
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(restAfterMs);
    connect(&m_idle, &QTimer::timeout, this, &CaretRest::rest);
    // The desktop may change its setting meanwhile; ours is not the desktop's.
    connect(QGuiApplication::styleHints(), &QStyleHints::cursorFlashTimeChanged, this,
            [this](int ms) {
                if (!m_setting) {
                    m_flashTime = ms;
                    m_resting = false;
                }
            });
    qApp->installEventFilter(this);
    m_idle.start();
}

CaretRest::~CaretRest()
{
    if (m_resting)
        setFlashTime(m_flashTime);
}

bool CaretRest::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
        if (m_resting) {
            m_resting = false;
            setFlashTime(m_flashTime);
        }
        m_idle.start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CaretRest::rest()
{
    if (m_resting || m_flashTime <= 0)
        return;
    m_resting = true;
    // A flash time of nought: the carets stay shown and their timers stop.
    setFlashTime(0);
}

void CaretRest::setFlashTime(int ms)
{
    m_setting = true;
    QGuiApplication::styleHints()->setCursorFlashTime(ms);
    m_setting = false;
}
