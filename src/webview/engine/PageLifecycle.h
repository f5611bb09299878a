#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>

class PagePrinter;
class QWebEngineDownloadRequest;
class QWebEngineView;

// Puts the page of a minimised window to sleep: after FreezeAfter seconds it is paused (no
// script, no timer, nothing drawn), after DiscardAfter seconds (or sooner when the machine runs
// short of memory) its page process is freed. Shown again, it is active before the window's first
// paint; a freed page reloads at its address, which is no new document.
//
// Minimising is the one way of hiding that reaches the window as an event on every platform
// (offscreen too), so the window's state decides, not the view's visibility.
class PageLifecycle : public QObject {
    Q_OBJECT

public:
    PageLifecycle(QWebEngineView *view, PagePrinter *printer, QWidget *window);
    ~PageLifecycle() override;

    // "active", "paused" or "freed", as the page's properties show it.
    QString stateName() const;
    // The proportional set size of a process in kB, from /proc/<pid>/smaps_rollup; -1 when it
    // cannot be read.
    static qint64 proportionalSetSize(qint64 pid);

    // A use the page was allowed: capture keeps it running while it lasts (until the page
    // navigates), notifications for good.
    void noteGranted(QWebEnginePage::Feature feature);
    // A download the page started: it keeps the page running until it ends.
    void noteDownload(QWebEngineDownloadRequest *download);
    // A navigation of the page's main frame is about to start.
    void noteNavigation(QWebEnginePage::NavigationType type);

signals:
    // A freed page is about to be shown and reloaded by the engine.
    void reloadingFreedPage();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchInput(QObject *widget);
    void hidden();
    void shown();
    void check();
    void handleMemoryShort();
    // Whether the page may be paused now, and then whether it may be freed.
    bool mayPause() const;
    bool mayFree() const;

    QWebEngineView *m_view;
    PagePrinter *m_printer;
    QPointer<QWidget> m_window;
    QTimer m_timer;
    QElapsedTimer m_hiddenFor;
    bool m_hidden = false;
    // The delays in seconds, read as the window was minimised.
    int m_freezeAfter = 0;
    int m_discardAfter = 0;
    bool m_memoryShort = false;
    // Since the page's document loaded: keys reached it, it came from a form, it captures.
    bool m_typed = false;
    bool m_fromForm = false;
    bool m_capturing = false;
    bool m_notifies = false;
    QList<QPointer<QWebEngineDownloadRequest>> m_downloads;
};
