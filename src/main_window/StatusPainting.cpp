#include "main_window/StatusPainting.h"

#include "webview/RenderingChoice.h"

#include <QWidget>

StatusPainting::StatusPainting(QList<QWidget *> controls, QObject *parent) : QObject(parent)
{
    for (QWidget *control : controls)
        m_controls.append(control);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &StatusPainting::release);
}

void StatusPainting::hold(bool firstLoad)
{
    if (m_timer.isActive())
        return;
    for (QWidget *control : std::as_const(m_controls)) {
        if (control)
            control->setUpdatesEnabled(false);
    }
    m_timer.start(firstLoad && !RenderingChoice::software() ? 2000 : 100);
}

void StatusPainting::releaseNow()
{
    if (m_timer.isActive()) {
        m_timer.stop();
        release();
    }
}

void StatusPainting::release()
{
    for (QWidget *control : std::as_const(m_controls)) {
        if (control)
            control->setUpdatesEnabled(true);
    }
}
