#include "support/PageScript.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>
#include <optional>

namespace PageScript {

QVariant evaluate(QWebEngineView *view, const QString &script)
{
    // The answer may come after the wait has given up: it lands in storage that outlives it.
    const auto value = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, [value](const QVariant &v) { *value = v; });
    if (!QTest::qWaitFor([&] { return value->has_value(); }, 10000))
        return {};
    return value->value_or(QVariant());
}

bool click(QWebEngineView *view, QPoint at, Qt::MouseButton button)
{
    QWidget *input = view->focusProxy() ? view->focusProxy() : view;
    if (at.isNull())
        at = input->rect().center();
    const QString hit = QString("!!document.elementFromPoint(%1, %2)").arg(at.x()).arg(at.y());
    if (!QTest::qWaitFor([&] { return evaluate(view, hit).toBool(); }, 20000))
        return false;
    QTest::mouseClick(input, button, {}, at);
    return true;
}

} // namespace PageScript
