#pragma once

#include <QWidget>

class QWebEngineView;

// The developer tools of one page, in a window of their own that closes with the page.
class DevToolsWindow : public QWidget {
    Q_OBJECT

public:
    // The page's tools window, made on first use, shown and raised.
    static DevToolsWindow *showFor(QWebEngineView *inspected);

private:
    explicit DevToolsWindow(QWebEngineView *inspected);
};
