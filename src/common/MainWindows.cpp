#include "common/MainWindows.h"

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace {

constexpr const char *CloseSeen = "zvCloseSeen";

std::vector<MainWindows::Watcher> &watchers()
{
    static std::vector<MainWindows::Watcher> list;
    return list;
}

MainWindows::Calls &calls()
{
    static MainWindows::Calls installed;
    return installed;
}

void tell(QWidget *window, bool opened)
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
            tell(static_cast<QWidget *>(watched), false);
        }
        return false;
    }
};

QList<QPointer<QWidget>> &windows()
{
    static QList<QPointer<QWidget>> list;
    return list;
}

} // namespace

namespace MainWindows {

void install(Calls installed)
{
    calls() = std::move(installed);
}

void add(QWidget *window)
{
    windows().removeAll(nullptr);
    windows().append(window);
    window->installEventFilter(CloseWatcher::instance());
    QTimer::singleShot(0, window, [window] { tell(window, true); });
}

QList<QWidget *> openWindows()
{
    QList<QWidget *> open;
    for (const QPointer<QWidget> &window : windows()) {
        if (isOpen(window))
            open.append(window);
    }
    return open;
}

void watch(Watcher watcher)
{
    watchers().push_back(std::move(watcher));
}

bool isOpen(const QWidget *window)
{
    if (!window)
        return false;
    // A close that was refused leaves the window visible: it is still open.
    return !(window->property(CloseSeen).toBool() && window->isHidden());
}

namespace {

QWidget *oldestOpen()
{
    for (const QPointer<QWidget> &window : windows()) {
        if (isOpen(window))
            return window;
    }
    return nullptr;
}

} // namespace

QWidget *startUpWindow()
{
    if (QWidget *window = oldestOpen())
        return window;
    return calls().openNew();
}

void navigateStartUpOrNew(const QString &address)
{
    calls().navigate(startUpWindow(), address);
}

void listWriteFailed(const QString &fileName, const QString &reason)
{
    if (QWidget *window = oldestOpen())
        calls().listWriteFailed(window, fileName, reason);
}

QString startUpAddressOrNew()
{
    return calls().address(startUpWindow());
}

} // namespace MainWindows
