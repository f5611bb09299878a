#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

// Holds back the painting of a window's status bar and progress bar for a moment.
//
// With a web view in the window, every paint of the window recomposes all of it, on the thread
// that also sends the page's requests and takes in its answers; a progress bar even repaints
// itself at once on each step. So the status text and the progress are set at once but painted
// at most ten times a second: the changes that a page's load brings in a burst are painted
// together, after the load's requests have left.
//
// Where the window is drawn through OpenGL, during its first load (whose requests compete with
// the view's first frames) they are painted once the page completes, after two seconds at most.
class StatusPainting : public QObject {
public:
    StatusPainting(QList<QWidget *> controls, QObject *parent);

    // A change to show: painting waits, unless it is already waiting.
    void hold(bool firstLoad);
    // The first page completed: what waits is painted now.
    void releaseNow();

private:
    void release();

    QList<QPointer<QWidget>> m_controls;
    QTimer m_timer;
};
