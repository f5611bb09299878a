#include "main_window/RestoreBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

RestoreBar::RestoreBar(int windows, QWidget *page)
    : QWidget(page),
      m_restore(new QPushButton(
          windows == 1 ? tr("Restore 1 window") : tr("Restore %1 windows").arg(windows), this)),
      m_notNow(new QPushButton(tr("Not now"), this))
{
    setObjectName(QStringLiteral("RestoreBar"));
    setAutoFillBackground(true);
    auto *text =
        new QLabel(windows == 1 ? tr("Zarvo Velmora ended with 1 window open.")
                                : tr("Zarvo Velmora ended with %1 windows open.").arg(windows),
                   this);
    text->setObjectName(QStringLiteral("RestoreText"));
    m_restore->setObjectName(QStringLiteral("RestoreWindows"));
    m_notNow->setObjectName(QStringLiteral("RestoreNotNow"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->addWidget(text, 1);
    layout->addWidget(m_restore);
    layout->addWidget(m_notNow);

    connect(m_restore, &QPushButton::clicked, this, [this] {
        answered();
        emit restore();
    });
    connect(m_notNow, &QPushButton::clicked, this, [this] {
        answered();
        emit notNow();
    });
    page->installEventFilter(this);
    place();
    show();
    raise();
}

void RestoreBar::answered()
{
    hide();
    parentWidget()->removeEventFilter(this);
    deleteLater();
}

void RestoreBar::place()
{
    const QRect page = parentWidget()->rect();
    const int height = sizeHint().height();
    setGeometry(page.left(), page.bottom() + 1 - height, page.width(), height);
}

bool RestoreBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != parent())
        return false;
    if (event->type() == QEvent::Resize)
        place();
    // The engine's view comes into the page later and would lie over the bar.
    else if (event->type() == QEvent::ChildAdded)
        QTimer::singleShot(0, this, [this] { raise(); });
    return false;
}
