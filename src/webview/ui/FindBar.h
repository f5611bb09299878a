#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;
class QLineEdit;
class QToolButton;
class QWebEngineView;

// Find in page: a slim bar over the bottom edge of the page, searching as the user types and
// reporting "3 of 11 matches" or "Phrase not found" as status text.
class FindBar : public QWidget {
    Q_OBJECT

public:
    // Lies over the bottom of the view, inside the parent that holds the view.
    FindBar(QWebEngineView *view, QWidget *parent);
    // F3 and Shift+F3 in the parent: the next and previous match, opening the bar when it is
    // closed. The bar is made by the function when first wanted: nothing of it (its widgets,
    // its symbols' fonts) is on the way of the first page.
    static void addKeys(QWidget *parent, const std::function<FindBar *()> &bar);

    // Shows the bar with the page's selection, or else the last search, and searches for it.
    void open();
    // Hides the bar and takes the highlight off the page.
    void dismiss();
    void findNext();
    void findPrevious();

    QLineEdit *findText() const { return m_text; }

signals:
    void statusText(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void find(bool backward);
    void place();

    QWebEngineView *m_view;
    QLineEdit *m_text;
    QToolButton *m_previous;
    QToolButton *m_next;
    QCheckBox *m_matchCase;
    QToolButton *m_close;
    // Answers come later; only the latest search's answer is shown.
    int m_search = 0;
};
