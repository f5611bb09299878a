#include "webview/engine/PageLifecycle.h"

#include "webview/WebViewSettings.h"
#include "webview/engine/MemoryPressure.h"
#include "webview/engine/PagePrinter.h"

#include <QChildEvent>
#include <QDialog>
#include <QFile>
#include <QWebEngineDownloadRequest>
#include <QWebEngineView>
#include <QWidget>
#include <algorithm>

namespace {
// How soon a page that could not be put to sleep when it was due is looked at again.
constexpr qint64 RetryMs = 10 * 1000;
} // namespace

PageLifecycle::PageLifecycle(QWebEngineView *view, PagePrinter *printer, QWidget *window)
    : QObject(view), m_view(view), m_printer(printer), m_window(window)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PageLifecycle::check);
    // The engine's input widgets come and go inside the view: each is watched as it comes.
    m_view->installEventFilter(this);
    for (QObject *child : m_view->children())
        watchInput(child);
    m_window->installEventFilter(this);

    QWebEnginePage *page = m_view->page();
    // A page that asks to stay active again (sound, capture) is looked at once it stops.
    connect(page, &QWebEnginePage::recommendedStateChanged, this, [this] {
        if (m_hidden && !m_timer.isActive())
            m_timer.start(0);
    });
    if (m_window->isMinimized())
        hidden();
}

PageLifecycle::~PageLifecycle()
{
    // A window closed while minimised keeps nothing polling.
    MemoryPressure::instance()->unwatch(this);
}

QString PageLifecycle::stateName() const
{
    switch (m_view->page()->lifecycleState()) {
    case QWebEnginePage::LifecycleState::Frozen:
        return tr("paused");
    case QWebEnginePage::LifecycleState::Discarded:
        return tr("freed");
    case QWebEnginePage::LifecycleState::Active:
        break;
    }
    return tr("active");
}

qint64 PageLifecycle::proportionalSetSize(qint64 pid)
{
    if (pid <= 0)
        return -1;
    QFile file(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.startsWith("Pss:"))
            continue;
        QByteArray value = line.mid(4).trimmed();
        if (value.endsWith("kB"))
            value.chop(2);
        bool ok = false;
        const qint64 size = value.trimmed().toLongLong(&ok);
        return ok ? size : -1;
    }
    return -1;
}

void PageLifecycle::noteGranted(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::Notifications:
        // A paused page would miss what it is there to tell.
        m_notifies = true;
        break;
    case QWebEnginePage::MediaAudioCapture:
    case QWebEnginePage::MediaVideoCapture:
    case QWebEnginePage::MediaAudioVideoCapture:
    case QWebEnginePage::DesktopVideoCapture:
    case QWebEnginePage::DesktopAudioVideoCapture:
        m_capturing = true;
        break;
    default:
        break;
    }
}

void PageLifecycle::noteDownload(QWebEngineDownloadRequest *download)
{
    m_downloads.removeIf([](const QPointer<QWebEngineDownloadRequest> &held) {
        return !held || held->isFinished();
    });
    m_downloads.append(download);
}

void PageLifecycle::noteNavigation(QWebEnginePage::NavigationType type)
{
    // A reload sends the same request again: a form's answer stays one.
    if (type == QWebEnginePage::NavigationTypeReload)
        return;
    m_typed = false;
    m_capturing = false;
    // Any form, as the engine does not say which were posted: a search form's answer is kept
    // too, which costs memory but loses nothing.
    m_fromForm = type == QWebEnginePage::NavigationTypeFormSubmitted;
}

void PageLifecycle::watchInput(QObject *widget)
{
    if (widget->isWidgetType())
        widget->installEventFilter(this);
}

bool PageLifecycle::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == m_view)
            watchInput(static_cast<QChildEvent *>(event)->child());
        break;
    case QEvent::KeyPress:
        if (watched != m_window)
            m_typed = true;
        break;
    case QEvent::WindowStateChange:
        if (watched == m_window) {
            if (m_window->isMinimized())
                hidden();
            else
                shown();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void PageLifecycle::hidden()
{
    if (m_hidden)
        return;
    m_hidden = true;
    m_memoryShort = false;
    m_freezeAfter = WebViewSettings::freezeAfter();
    m_discardAfter = WebViewSettings::discardAfter();
    if (m_freezeAfter == 0 && m_discardAfter == 0)
        return;
    m_hiddenFor.start();
    const int first = m_freezeAfter == 0    ? m_discardAfter
                      : m_discardAfter == 0 ? m_freezeAfter
                                            : std::min(m_freezeAfter, m_discardAfter);
    m_timer.start(first * 1000);
    if (m_discardAfter > 0) {
        connect(MemoryPressure::instance(), &MemoryPressure::low, this,
                &PageLifecycle::handleMemoryShort, Qt::UniqueConnection);
        MemoryPressure::instance()->watch(this);
    }
}

void PageLifecycle::shown()
{
    if (!m_hidden)
        return;
    m_hidden = false;
    m_timer.stop();
    MemoryPressure::instance()->unwatch(this);
    disconnect(MemoryPressure::instance(), &MemoryPressure::low, this,
               &PageLifecycle::handleMemoryShort);
    // Before the window's first paint: the engine draws the page anew while the window's state
    // change is still being handled.
    QWebEnginePage *page = m_view->page();
    if (page->lifecycleState() == QWebEnginePage::LifecycleState::Discarded)
        emit reloadingFreedPage();
    if (m_view->isVisible())
        page->setVisible(true);
    else
        page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
}

void PageLifecycle::handleMemoryShort()
{
    if (!m_hidden)
        return;
    m_memoryShort = true;
    check();
}

bool PageLifecycle::mayPause() const
{
    // Shown full screen in a window of its own, the page is not the minimised window's to pause.
    if (m_view->window() != m_window)
        return false;
    QWebEnginePage *page = m_view->page();
    if (page->isLoading() || page->recentlyAudible() || m_capturing || m_notifies)
        return false;
    if (m_printer->isPrinting())
        return false;
    for (const QPointer<QWebEngineDownloadRequest> &download : m_downloads) {
        if (download && !download->isFinished())
            return false;
    }
    // A dialog of the page or of its window (an alert, the print dialog) waits for an answer.
    if (m_window) {
        const QList<QDialog *> dialogs = m_window->findChildren<QDialog *>();
        if (std::any_of(dialogs.begin(), dialogs.end(),
                        [](const QDialog *dialog) { return dialog->isVisible(); }))
            return false;
    }
    return true;
}

bool PageLifecycle::mayFree() const
{
    // Reloading would lose what was typed or send the form again. The engine, once the page is
    // paused, also says whether a reload would lose anything it knows of.
    return !m_typed && !m_fromForm &&
           m_view->page()->recommendedState() == QWebEnginePage::LifecycleState::Discarded;
}

void PageLifecycle::check()
{
    if (!m_hidden)
        return;
    QWebEnginePage *page = m_view->page();
    using State = QWebEnginePage::LifecycleState;
    if (page->lifecycleState() == State::Discarded || (m_freezeAfter == 0 && m_discardAfter == 0))
        return;
    const qint64 elapsed = m_hiddenFor.elapsed();
    const bool freeDue =
        m_discardAfter > 0 && (m_memoryShort || elapsed >= m_discardAfter * 1000LL);
    const bool pauseDue = m_freezeAfter > 0 && elapsed >= m_freezeAfter * 1000LL;
    // Paused on the way to being freed, even with pausing off, unless it may not be freed anyway.
    const bool wantPause = pauseDue || (freeDue && !m_typed && !m_fromForm);
    bool blocked = false;
    if (wantPause && page->lifecycleState() == State::Active) {
        if (mayPause()) {
            // Only a page the engine no longer draws may be paused.
            page->setVisible(false);
            if (page->recommendedState() != State::Active)
                page->setLifecycleState(State::Frozen);
        }
        blocked = page->lifecycleState() == State::Active;
    }
    if (freeDue && page->lifecycleState() == State::Frozen) {
        if (mayFree())
            page->setLifecycleState(State::Discarded);
        else if (!pauseDue)
            // Paused only to be freed, and pausing is off.
            page->setLifecycleState(State::Active);
    }
    if (page->lifecycleState() == State::Discarded) {
        MemoryPressure::instance()->unwatch(this);
        return;
    }
    // What is not due yet, or could not be done: looked at again.
    qint64 next = blocked ? RetryMs : -1;
    for (const int after : {m_freezeAfter, m_discardAfter}) {
        const qint64 due = after * 1000LL - elapsed;
        if (after > 0 && due > 0)
            next = next < 0 ? due : std::min(next, due);
    }
    if (freeDue)
        next = next < 0 ? RetryMs : std::min(next, RetryMs);
    if (next >= 0)
        m_timer.start(int(next));
}
