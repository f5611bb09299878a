#include "webview/ui/PageDialogLoop.h"

#include "common/WindowPlacement.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>

PageDialogLoop::PageDialogLoop(QDialog *dialog, QWidget *owner) : QObject(dialog), m_dialog(dialog)
{
    owner->installEventFilter(this);
}

int PageDialogLoop::exec(QDialog *dialog)
{
    QWidget *owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (isClosed(owner))
        return QDialog::Rejected;
    if (owner)
        new PageDialogLoop(dialog, owner);
    WindowPlacement::centreOn(dialog, owner);
    const QPointer<QDialog> guard(dialog);
    QEventLoop loop;
    connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    dialog->setWindowModality(Qt::NonModal);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    loop.exec();
    return guard ? guard->result() : int(QDialog::Rejected);
}

bool PageDialogLoop::isClosed(const QWidget *widget)
{
    // A closed window's page, waiting to go, asks nothing more.
    const QWidget *window = widget ? widget->window() : nullptr;
    return window && window->isHidden() && window->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

QCheckBox *PageDialogLoop::addStopBox(QDialog *dialog, const QString &text, const QString &name)
{
    auto *box = new QCheckBox(text, dialog);
    box->setObjectName(name);
    auto *layout = qobject_cast<QBoxLayout *>(dialog->layout());
    auto *buttons = dialog->findChild<QDialogButtonBox *>(QString(), Qt::FindDirectChildrenOnly);
    const int at = layout && buttons ? layout->indexOf(buttons) : -1;
    if (at >= 0)
        layout->insertWidget(at, box);
    else if (dialog->layout())
        dialog->layout()->addWidget(box);
    return box;
}

bool PageDialogLoop::eventFilter(QObject *watched, QEvent *event)
{
    // The window closes: the dialog goes first, unanswered, and the window's close goes on.
    if (event->type() == QEvent::Close && m_dialog->isVisible() && watched != m_dialog)
        m_dialog->reject();
    return QObject::eventFilter(watched, event);
}
