#pragma once

#include <QHash>
#include <QObject>
#include <QWebEnginePage>

class QWebEngineView;

// Asks the user, naming the site, before a page may use the location, camera, microphone,
// notifications or the screen. The default is to deny; an answer holds for that site and that
// use until the program ends.
class PermissionHandler : public QObject {
    Q_OBJECT

public:
    explicit PermissionHandler(QWebEngineView *view);

    // What the question says the site wants to do; empty for what is never granted.
    static QString description(QWebEnginePage::Feature feature);

signals:
    // The page was allowed the use.
    void granted(QWebEnginePage::Feature feature);

private:
    void handleFeaturePermissionRequested(const QUrl &securityOrigin,
                                          QWebEnginePage::Feature feature);
    void decide(const QUrl &securityOrigin, QWebEnginePage::Feature feature);

    // Answers given in this run, by site and use, shared by every window.
    static QHash<QString, bool> &answers();

    QWebEngineView *m_view;
};
