#pragma once

#include <QObject>

class QPoint;
class QWebEngineView;

// The engine's menu for a page, fitted to a browser without tabs: no "Open link in new tab";
// the link to the favorites, a search for the selection, the page's source and the developer
// tools added.
class PageContextMenu : public QObject {
    Q_OBJECT

public:
    explicit PageContextMenu(QWebEngineView *view);

signals:
    void addFavorite(const QString &url);
    void search(const QString &text);
    void viewSource();
    void openInPrivateWindow(const QString &url);
    void inspect();

private:
    void show(const QPoint &position);

    QWebEngineView *m_view;
};
