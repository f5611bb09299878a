#pragma once

#include <QObject>
#include <QUrl>
#include <QWebEnginePage>

class QWebEngineView;

// When a page's renderer process crashes or is killed, the view shows a plain error page at the
// page's address instead of staying blank, and Refresh loads the page again.
class CrashRecovery : public QObject {
    Q_OBJECT

public:
    explicit CrashRecovery(QWebEngineView *view);

    // Loads the crashed page again if its error page is showing; false when nothing crashed.
    bool reload();

private:
    void handleRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status,
                                       int exitCode);
    void handleUrlChanged(const QUrl &url);
    void showErrorPage(const QUrl &url, QWebEnginePage::RenderProcessTerminationStatus status);

    QWebEngineView *m_view;
    // The address of the page that crashed, while its error page stands in for it.
    QUrl m_crashed;
};
