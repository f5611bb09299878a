#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QUrl>

class QWebEngineNavigationRequest;
class QWebEngineView;

// Links of schemes the engine does not show (mailto:, tel:, ...) go to the desktop's program for
// them, but only links the user clicked, and only after a question naming the scheme. The default
// is No; an answer holds for that scheme on that site until the program ends.
class ExternalLinkHandler : public QObject {
    Q_OBJECT

public:
    explicit ExternalLinkHandler(QWebEngineView *view);

    // Whether the engine hands addresses of this scheme to another program instead of showing them.
    static bool isExternal(const QUrl &url);

    // Whether the user is being asked about this link, or is about to be.
    bool isAsking(const QUrl &url) const { return m_asking.contains(url); }

signals:
    // What became of the link, for the status bar.
    void statusText(const QString &text);

private:
    void handleNavigationRequested(QWebEngineNavigationRequest &request);
    void decide(const QUrl &url, const QString &site);

    // Answers given in this run, by scheme and site, shared by every window.
    static QHash<QString, bool> &answers();

    QWebEngineView *m_view;
    QList<QUrl> m_asking;
};
