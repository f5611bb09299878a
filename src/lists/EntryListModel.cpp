#include "lists/EntryListModel.h"

#include <limits>

void EntryListModel::append(ListFile::Index entries)
{
    // A view's rows are ints: what lies beyond them cannot be shown.
    const int room = std::numeric_limits<int>::max() - m_count;
    if (entries.size() > room)
        entries.starts.resize(room);
    if (entries.size() == 0)
        return;
    beginInsertRows({}, m_count, m_count + int(entries.size()) - 1);
    m_count += int(entries.size());
    m_parts.append(std::move(entries));
    endInsertRows();
}

int EntryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

QVariant EntryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_count ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    qsizetype row = index.row();
    for (const ListFile::Index &part : m_parts) {
        if (row < part.size())
            return part.entry(row);
        row -= part.size();
    }
    return {};
}
