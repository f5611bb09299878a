#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

// A single-selection, unsorted list of text rows that holds a whole list file: its rows live in
// one string model, so a million entries fill it in one step and draw only what is in view.
class ListBox : public QListView {
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    int count() const;
    QString itemText(int row) const;
    QStringList items() const;
    // Replaces every row at once; nothing is selected afterwards.
    void setItems(const QStringList &items);
    void clear();
    void removeRow(int row);

    // The selected row, or -1. Taking the focus makes a row current without selecting it; only
    // a row the user picked (or selectRow) counts.
    int selectedRow() const;
    // The selected row's text; empty when nothing is selected.
    QString selectedText() const;
    void selectRow(int row);

signals:
    // A double-click anywhere in the list, on a row or below the last one; also Enter on the
    // selected row, for those who use the keyboard.
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QStringListModel *m_model;
};
