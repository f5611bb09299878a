#pragma once

#include <QElapsedTimer>

// What a page asks of the person at the screen on its own (its dialogs, its prints). A page that
// asks again within a few seconds of the last answer looks like one asking in a loop: from then
// on the person may silence it, and a silenced page asks nothing more until it loads again.
class PageSilencer {
public:
    bool isSilenced() const { return m_silenced; }
    // Whether the question now due may offer to silence the page.
    bool offersToStop() const;
    // The question was answered; stop: the person chose to silence the page (only when offered).
    void answered(bool offered, bool stop);
    // A new document starts afresh.
    void reset();

private:
    QElapsedTimer m_sinceLastAnswer;
    bool m_silenced = false;
};
