#include "support/WindowFixture.h"

#include "app/Shutdown.h"
#include "main_window/Form1.h"

#include <QSignalSpy>
#include <QTest>

void WindowFixture::start(Views views)
{
    m_folder = std::make_unique<WorkingFolder>();
    if (views == Fakes)
        m_fakes = std::make_unique<FakeWebView::Install>();
}

Form1 *WindowFixture::showLoaded()
{
    Form1 *window = Form1::newLoaded();
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return nullptr;
    QApplication::setActiveWindow(window);
    if (FakeWebView *view = FakeWebView::of(window))
        view->calls.clear();
    return window;
}

void WindowFixture::stop()
{
    Shutdown::deleteWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_fakes.reset();
    m_folder.reset();
    Form1::forgetListWriteFailures();
}

bool completes(WebView *view, const std::function<void()> &action, int timeout)
{
    QSignalSpy done(view, &WebView::DocumentComplete);
    action();
    return done.wait(timeout);
}
