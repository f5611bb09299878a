#pragma once

#include <QWidget>

class QWebEngineView;

// The developer tools of one page, in a window of their own that closes with the page. Not a
// SharedWindow: that keeps one window for the whole program, and each inspected page has its
// own tools window, owned by the page's view. It follows the same rule for a closed window: one
// whose close was accepted is never shown again, though its deferred delete has not come yet.
class DevToolsWindow : public QWidget {
    Q_OBJECT

public:
    // The page's tools window, made on first use, shown and raised.
    static DevToolsWindow *showFor(QWebEngineView *inspected);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    explicit DevToolsWindow(QWebEngineView *inspected);

    bool m_closed = false;
};
