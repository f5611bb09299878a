#pragma once

#include <QPointer>
#include <QWidget>

class QBoxLayout;
class QWebEngineView;

// A page in full screen (a video, say): the view leaves its window for a full-screen window of
// its own and goes back when this one goes. Esc asks the page to leave full screen.
class FullScreenWindow : public QWidget {
    Q_OBJECT

public:
    // Owned by the view's holder, so the view is never lost with this window.
    explicit FullScreenWindow(QWebEngineView *view);
    ~FullScreenWindow() override;

private:
    QWebEngineView *m_view;
    // The view's place in its own window; gone when that window is being deleted.
    QPointer<QBoxLayout> m_home;
    int m_index;
};
