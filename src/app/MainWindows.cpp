#include "app/MainWindows.h"

#include "app/ClosedWindows.h"
#include "main_window/Form1.h"

#include <QComboBox>

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <vector>

namespace {

constexpr const char *CloseSeen = "zvCloseSeen";

std::vector<MainWindows::Watcher> &watchers()
{
    static std::vector<MainWindows::Watcher> list;
    return list;
}

void tell(Form1 *window, bool opened)
{
    for (const MainWindows::Watcher &watcher : watchers())
        watcher(window, opened);
}

// A main window deletes itself only later, once its close was accepted; a window that saw a
// close and is hidden since counts as closed from that moment on.
class CloseWatcher : public QObject {
public:
    static constexpr const char *Told = "zvCloseTold";

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
        if (event->type() == QEvent::Close) {
            watched->setProperty(CloseSeen, true);
        } else if (event->type() == QEvent::Hide && !event->spontaneous() &&
                   watched->property(CloseSeen).toBool() && !watched->property(Told).toBool()) {
            // Closed for good (not minimised): its page and history are still there to keep.
            watched->setProperty(Told, true);
            auto *window = static_cast<Form1 *>(watched);
            ClosedWindows::remember(window);
            tell(window, false);
        }
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
    QTimer::singleShot(0, window, [window] { tell(window, true); });
}

QList<Form1 *> openWindows()
{
    QList<Form1 *> open;
    for (const QPointer<Form1> &window : windows()) {
        if (isOpen(window))
            open.append(window);
    }
    return open;
}

void watch(Watcher watcher)
{
    watchers().push_back(std::move(watcher));
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
