#include "webview/engine/LoginHandler.h"

#include "webview/Prompter.h"
#include "webview/SiteName.h"

#include <QAuthenticator>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineView>

LoginHandler::LoginHandler(QWebEngineView *view) : QObject(view), m_view(view)
{
    connect(view->page(), &QWebEnginePage::authenticationRequired, this,
            &LoginHandler::handleAuthenticationRequired);
    connect(view->page(), &QWebEnginePage::proxyAuthenticationRequired, this,
            &LoginHandler::handleProxyAuthenticationRequired);
}

void LoginHandler::handleAuthenticationRequired(const QUrl &requestUrl,
                                                QAuthenticator *authenticator)
{
    ask(SiteName::of(requestUrl), authenticator, false);
}

void LoginHandler::handleProxyAuthenticationRequired(const QUrl &, QAuthenticator *authenticator,
                                                     const QString &proxyHost)
{
    ask(proxyHost, authenticator, true);
}

void LoginHandler::ask(const QString &site, QAuthenticator *authenticator, bool proxy)
{
    // The engine wants the answer before this returns, so the dialog runs here. The page may go
    // while it is open; then there is nobody left to answer.
    const QPointer<QWebEnginePage> page = m_view->page();
    const std::optional<Prompter::Login> login =
        Prompter::current().login(m_view->window(), site, authenticator->realm(), proxy);
    if (!page)
        return;
    if (!login) {
        // A null authenticator is the engine's way to cancel a login.
        *authenticator = QAuthenticator();
        return;
    }
    authenticator->setUser(login->user);
    authenticator->setPassword(login->password);
}
