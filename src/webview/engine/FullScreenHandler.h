#pragma once

#include <QObject>
#include <QPointer>

class FullScreenWindow;
class QWebEngineFullScreenRequest;
class QWebEngineView;

// Honours a page's requests to enter and leave full screen.
class FullScreenHandler : public QObject {
    Q_OBJECT

public:
    explicit FullScreenHandler(QWebEngineView *view);

    bool isFullScreen() const { return !m_window.isNull(); }

private:
    void handleFullScreenRequested(QWebEngineFullScreenRequest request);

    QWebEngineView *m_view;
    QPointer<FullScreenWindow> m_window;
};
