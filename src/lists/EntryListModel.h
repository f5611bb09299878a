#pragma once

#include "lists/ListFile.h"

#include <QAbstractListModel>

// The entries of list files as a list model, each decoded only when a view asks for it: a list of
// a million entries fills a box at once and costs its bytes, not a million strings.
class EntryListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // Adds the entries after those already held.
    void append(ListFile::Index entries);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<ListFile::Index> m_parts;
    int m_count = 0;
};
