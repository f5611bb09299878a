#pragma once

#include <QObject>

class QComboBox;
class QListWidget;
class QListWidgetItem;

// The list under the address box while the user types: addresses from the favourites and the
// history that hold the typed text. It never changes what was typed; Up and Down move through
// it, Enter or a click chooses, Esc closes it. The box keeps the keyboard all the while.
class AddressSuggestions : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxShown = 10;

    explicit AddressSuggestions(QComboBox *box);

    // The pop-up itself, named "Suggestions"; hidden while it offers nothing.
    QListWidget *list() const { return m_list; }

signals:
    // The plain address the user chose, to be visited as if typed.
    void chosen(const QString &address);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void offerFor(const QString &text);
    bool handleKey(QEvent *event);
    void choose(QListWidgetItem *item);
    void close();

    QComboBox *m_box;
    QListWidget *m_list;
};
