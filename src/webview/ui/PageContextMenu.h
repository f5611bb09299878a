#pragma once

#include <QObject>

class QMenu;
class QPoint;
class QWebEngineContextMenuRequest;
class QWebEngineView;

// The engine's menu for a page, fitted to a browser without tabs: no "Open link in new tab";
// the link to the favorites, a search for the selection, the page's source and the developer
// tools added; on a misspelt word, its suggestions and "Add to Dictionary" first.
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
    // "Add to Dictionary" on a misspelt word.
    void addWord(const QString &word);

private:
    void show(const QPoint &position);
    // On a misspelt word: the suggestions first, then "Add to Dictionary".
    void addSpelling(QMenu *menu, const QWebEngineContextMenuRequest &request);

    QWebEngineView *m_view;
};
