#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

// Answers the next modal dialog from inside its own event loop, so a test never hangs on it.
// The answer runs once, as soon as a modal widget shows. Delete the returned watcher to stop
// waiting when no dialog may come.
inline QPointer<QTimer> answerNextModalDialog(std::function<void(QWidget *dialog)> answer)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
    return timer;
}
