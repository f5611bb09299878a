#pragma once

#include <QObject>

class QAuthenticator;
class QUrl;
class QWebEngineView;

// Answers a page's requests for a user name and password (the site's or a proxy's) by asking
// the user. Cancelling leaves the request unanswered, so the site's own error page shows.
class LoginHandler : public QObject {
    Q_OBJECT

public:
    explicit LoginHandler(QWebEngineView *view);

private:
    void handleAuthenticationRequired(const QUrl &requestUrl, QAuthenticator *authenticator);
    void handleProxyAuthenticationRequired(const QUrl &requestUrl, QAuthenticator *authenticator,
                                           const QString &proxyHost);
    void ask(const QString &site, QAuthenticator *authenticator, bool proxy);

    QWebEngineView *m_view;
};
