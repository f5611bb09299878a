#pragma once

#include <QWidget>

class ListBox;
class QPushButton;

// The Favorites window: the entries of Favorites.DAT; a double-click visits one in the start-up
// main window. One shared instance, loaded afresh each time it is shown after being closed.
class Form3 : public QWidget {
    Q_OBJECT

public:
    explicit Form3(QWidget *parent = nullptr);

    // Shows the shared window, creating and loading it when needed; an open one is brought to
    // the front and keeps its list.
    static Form3 *showShared(const QWidget *opener = nullptr);
    // The shared window while it is open, otherwise null.
    static Form3 *shared();

    void Form_Load();
    void List1_DblClick();
    // Add Current.
    void Command1_Click();
    // Clear All.
    void Command2_Click();
    // Clear Selected.
    void Command3_Click();

    ListBox *List1;
    QPushButton *Command1;
    QPushButton *Command2;
    QPushButton *Command3;
};
