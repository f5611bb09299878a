#pragma once

#include <QPoint>
#include <QString>
#include <QVariant>

class QWebEngineView;

// Talking to a page on the real engine from a test.
namespace PageScript {
// Runs the script in the page and waits for its answer; an invalid variant when none comes.
QVariant evaluate(QWebEngineView *view, const QString &script);
// Clicks the point (the view's middle when none is given) once the page has laid out an element
// there: a click the engine cannot place yet is lost, more often on a busy machine. False when
// the page never did.
bool click(QWebEngineView *view, QPoint at = {}, Qt::MouseButton button = Qt::LeftButton);
} // namespace PageScript
