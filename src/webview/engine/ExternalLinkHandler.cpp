#include "webview/engine/ExternalLinkHandler.h"

#include "webview/Prompter.h"
#include "webview/SiteName.h"

#include <QDesktopServices>
#include <QTimer>
#include <QUrl>
#include <QWebEngineNavigationRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

ExternalLinkHandler::ExternalLinkHandler(QWebEngineView *view) : QObject(view), m_view(view)
{
    // The engine asks about a link for another program only when the user clicked it; a page
    // that tries one on its own is refused by the engine before anything reaches us.
    view->page()->settings()->setUnknownUrlSchemePolicy(
        QWebEngineSettings::AllowUnknownUrlSchemesFromUserInteraction);
    connect(view->page(), &QWebEnginePage::navigationRequested, this,
            &ExternalLinkHandler::handleNavigationRequested);
}

bool ExternalLinkHandler::isExternal(const QUrl &url)
{
    static const QStringList shown = {
        QStringLiteral("http"),     QStringLiteral("https"),       QStringLiteral("file"),
        QStringLiteral("data"),     QStringLiteral("about"),       QStringLiteral("blob"),
        QStringLiteral("qrc"),      QStringLiteral("view-source"), QStringLiteral("chrome"),
        QStringLiteral("devtools"), QStringLiteral("filesystem"),  QStringLiteral("javascript"),
    };
    return !url.scheme().isEmpty() && !shown.contains(url.scheme());
}

QHash<QString, bool> &ExternalLinkHandler::answers()
{
    static QHash<QString, bool> given;
    return given;
}

void ExternalLinkHandler::handleNavigationRequested(QWebEngineNavigationRequest &request)
{
    if (!isExternal(request.url()))
        return;
    // The engine would start the desktop's program at once; the user is asked first, once the
    // engine's own work is done, not inside its signal.
    request.reject();
    m_asking.append(request.url());
    const QString site = SiteName::of(m_view->url());
    QTimer::singleShot(0, this, [this, url = request.url(), site] { decide(url, site); });
}

void ExternalLinkHandler::decide(const QUrl &url, const QString &site)
{
    m_asking.removeOne(url);
    const QString scheme = url.scheme();
    const QString key = scheme + QLatin1Char(' ') + site;
    if (!answers().contains(key))
        answers().insert(key,
                         Prompter::current().openInOtherProgram(m_view->window(), site, scheme));
    if (!answers().value(key)) {
        emit statusText(tr("Not opened: %1").arg(url.toString()));
        return;
    }
    emit statusText(QDesktopServices::openUrl(url)
                        ? tr("Opened in another program: %1").arg(url.toString())
                        : tr("No program to open %1").arg(url.toString()));
}
