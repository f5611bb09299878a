#pragma once

#include <QWidget>

class ListBox;
class QPushButton;

// The History window: the entries of History.DAT, oldest first; a double-click visits one in the
// start-up main window and the window stays open. One shared instance, loaded afresh each time it
// is shown after being closed.
class Form4 : public QWidget {
    Q_OBJECT

public:
    explicit Form4(QWidget *parent = nullptr);

    // Shows the shared window, creating and loading it when needed; an open one is brought to
    // the front and keeps its list.
    static Form4 *showShared(const QWidget *opener = nullptr);
    // The shared window while it is open, otherwise null.
    static Form4 *shared();

    void Form_Load();
    void List1_DblClick();
    // Clear All.
    void Command1_Click();

    ListBox *List1;
    QPushButton *Command1;
};
