#include "webview/ui/DownloadsQuestion.h"

#include "common/WindowPlacement.h"

#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QPushButton>

DownloadsQuestion::DownloadsQuestion(const QString &site, QWidget *owner)
    : QMessageBox(QMessageBox::Question, tr("Downloads"),
                  tr("This site wants to download several files: %1\nDo you allow it?").arg(site),
                  QMessageBox::Yes | QMessageBox::No, owner),
      m_owner(owner)
{
    setObjectName(QStringLiteral("DownloadsQuestion"));
    setDefaultButton(QMessageBox::No);
    setEscapeButton(QMessageBox::No);
    // The site's name, shown as it is: never markup.
    setTextFormat(Qt::PlainText);
    setWindowModality(Qt::NonModal);
    if (m_owner)
        m_owner->installEventFilter(this);
}

bool DownloadsQuestion::ask(QWidget *parent, const QString &site)
{
    QWidget *owner = parent ? parent->window() : nullptr;
    // On the heap: it goes with its window when that is deleted while the question is up.
    const QPointer<DownloadsQuestion> question = new DownloadsQuestion(site, owner);
    WindowPlacement::centreOn(question, owner);
    QEventLoop loop;
    connect(question, &QDialog::finished, &loop, &QEventLoop::quit);
    connect(question, &QObject::destroyed, &loop, &QEventLoop::quit);
    question->show();
    question->raise();
    question->activateWindow();
    loop.exec();
    if (!question)
        return false;
    const bool yes = question->clickedButton() == question->button(QMessageBox::Yes);
    delete question;
    return yes;
}

bool DownloadsQuestion::eventFilter(QObject *watched, QEvent *event)
{
    // The window closes: the question goes first, unanswered, and the window's close goes on.
    if (watched == m_owner && event->type() == QEvent::Close && isVisible())
        done(QMessageBox::No);
    return QMessageBox::eventFilter(watched, event);
}
