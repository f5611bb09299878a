#include "app/MainWindows.h"

#include "main_window/Form1.h"

#include <QComboBox>

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPointer>

namespace {

constexpr const char *CloseSeen = "zvCloseSeen";

// A main window deletes itself only later, once its close was accepted; a window that saw a
// close and is hidden since counts as closed from that moment on.
class CloseWatcher : public QObject {
public:
    using QObject::QObject;

    static CloseWatcher *instance()
    {
        static QPointer<CloseWatcher> watcher;
        if (!watcher)
            watcher = new CloseWatcher(QCoreApplication::instance());
        return watcher;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            watched->setProperty(CloseSeen, true);
        return false;
    }
};

QList<QPointer<Form1>> &windows()
{
    static QList<QPointer<Form1>> list;
    return list;
}

} // namespace

namespace MainWindows {

void add(Form1 *window)
{
    windows().removeAll(nullptr);
    windows().append(window);
    window->installEventFilter(CloseWatcher::instance());
}

bool isOpen(const Form1 *window)
{
    if (!window)
        return false;
    // A close that was refused leaves the window visible: it is still open.
    return !(window->property(CloseSeen).toBool() && window->isHidden());
}

namespace {

Form1 *oldestOpen()
{
    for (const QPointer<Form1> &window : windows()) {
        if (isOpen(window))
            return window;
    }
    return nullptr;
}

} // namespace

Form1 *startUpWindow()
{
    if (Form1 *window = oldestOpen())
        return window;
    Form1 *successor = Form1::newLoaded();
    successor->showMaximized();
    return successor;
}

WebView *startUpViewOrNew()
{
    return startUpWindow()->WebBrowser1;
}

void listWriteFailed(const QString &fileName, const QString &reason)
{
    if (Form1 *window = oldestOpen())
        window->listWriteFailed(fileName, reason);
}

QString startUpAddressOrNew()
{
    return startUpWindow()->Text1->currentText();
}

} // namespace MainWindows
