#include "lists/ListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringListModel>

ListBox::ListBox(QWidget *parent) : QListView(parent), m_model(new QStringListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row is one line of the same font: the view need not measure a million of them.
    setUniformItemSizes(true);
}

int ListBox::count() const
{
    return m_model->rowCount();
}

QString ListBox::itemText(int row) const
{
    return m_model->index(row).data().toString();
}

QStringList ListBox::items() const
{
    return m_model->stringList();
}

void ListBox::setItems(const QStringList &items)
{
    m_model->setStringList(items);
}

void ListBox::clear()
{
    m_model->setStringList({});
}

void ListBox::removeRow(int row)
{
    m_model->removeRows(row, 1);
}

int ListBox::selectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QString ListBox::selectedText() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : itemText(row);
}

void ListBox::selectRow(int row)
{
    const QModelIndex index = m_model->index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && selectedRow() >= 0) {
        emit DblClick();
        return;
    }
    QListView::keyPressEvent(event);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}
