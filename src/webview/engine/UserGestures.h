#pragma once

#include <QHash>
#include <QObject>

class QWebEnginePage;

// Whether the person at the screen acted on a page (pressed a mouse button or a key in its view,
// or sent it to an address) since the page last used such an action up. The engine does not say
// whether a download was asked for; one action stands for at most one download.
class UserGestures : public QObject {
    Q_OBJECT

public:
    static void note(QWebEnginePage *page);
    // Whether an action is there to use, using it up.
    static bool take(QWebEnginePage *page);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    UserGestures();
    static UserGestures &instance();
    void add(QWebEnginePage *page);

    // Every page seen, and whether an action is there to use.
    QHash<QWebEnginePage *, bool> m_acted;
};
