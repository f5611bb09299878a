#include "webview/engine/CrashRecovery.h"

#include <QTimer>
#include <QWebEngineView>

CrashRecovery::CrashRecovery(QWebEngineView *view) : QObject(view), m_view(view)
{
    connect(view->page(), &QWebEnginePage::renderProcessTerminated, this,
            &CrashRecovery::handleRenderProcessTerminated);
    connect(view->page(), &QWebEnginePage::urlChanged, this, &CrashRecovery::handleUrlChanged);
}

bool CrashRecovery::reload()
{
    if (m_crashed.isEmpty())
        return false;
    // The view's own reload would only bring the error page back.
    m_view->load(m_crashed);
    return true;
}

void CrashRecovery::handleRenderProcessTerminated(
    QWebEnginePage::RenderProcessTerminationStatus status, int)
{
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    // Loading anything from inside the engine's own report of the crash is not safe.
    const QUrl url = m_view->url();
    QTimer::singleShot(0, this, [this, url, status] { showErrorPage(url, status); });
}

void CrashRecovery::handleUrlChanged(const QUrl &url)
{
    if (url != m_crashed)
        m_crashed.clear();
}

void CrashRecovery::showErrorPage(const QUrl &url,
                                  QWebEnginePage::RenderProcessTerminationStatus status)
{
    const QString why = status == QWebEnginePage::KilledTerminationStatus
                            ? tr("The process showing it was ended.")
                            : tr("The process showing it stopped unexpectedly.");
    const QString address = url.toString().toHtmlEscaped();
    const QString html =
        QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
                       "</head><body style=\"font-family: sans-serif; margin: 2em\"><h1>%1</h1>"
                       "<p>%2</p><p>%3</p><p><a href=\"%4\">%5</a></p></body></html>")
            .arg(tr("This page stopped working"),
                 tr("The page %1 can no longer be shown.")
                     .arg(QStringLiteral("<b>%1</b>").arg(address)),
                 why.toHtmlEscaped(), address, tr("Load the page again"));
    m_crashed = url;
    m_view->setHtml(html, url);
}
