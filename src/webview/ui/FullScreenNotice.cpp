#include "webview/ui/FullScreenNotice.h"

#include <QEvent>
#include <QTimer>

FullScreenNotice::FullScreenNotice(QWidget *window)
    : QLabel(tr("Press Esc to leave full screen"), window)
{
    setObjectName(QStringLiteral("FullScreenNotice"));
    setAlignment(Qt::AlignCenter);
    setMargin(fontMetrics().height() / 2);
    // Legible over any page: the tooltip's colours, on a box of its own.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    setFrameShape(QFrame::Box);
    // Clicks go through to the page, the keyboard stays with it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    window->installEventFilter(this);
    place();
    show();
    raise();
    // Precise: a coarse timer may end it a twentieth early.
    QTimer::singleShot(ShownMs, Qt::PreciseTimer, this, &QObject::deleteLater);
}

bool FullScreenNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QLabel::eventFilter(watched, event);
}

void FullScreenNotice::place()
{
    adjustSize();
    const QWidget *window = parentWidget();
    move((window->width() - width()) / 2, fontMetrics().height());
    raise();
}
