#include "lists/RowModel.h"

#include "sort/Failure.h"

#include <algorithm>
#include <limits>

RowModel::RowModel(bool checkable, QObject *parent)
    : QAbstractListModel(parent), m_checkable(checkable)
{
}

void RowModel::setHeader(const QString &header)
{
    if (m_header == header)
        return;
    m_header = header;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void RowModel::setChecked(int index, bool checked)
{
    Row &row = m_rows.at(static_cast<size_t>(index));
    if (row.checked == checked)
        return;
    row.checked = checked;
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at, {Qt::CheckStateRole});
}

void RowModel::reserveFor(qsizetype more)
{
    if (more > std::numeric_limits<int>::max() - count())
        throw Failure::outOfMemory();
    const size_t needed = m_rows.size() + static_cast<size_t>(more);
    if (needed > m_rows.capacity())
        m_rows.reserve(std::max(needed, m_rows.capacity() * 2));
}

void RowModel::append(const QString &text)
{
    reserveFor(1);
    const int at = count();
    beginInsertRows(QModelIndex(), at, at);
    m_rows.push_back({text, m_checkable});
    endInsertRows();
}

template <typename Texts> void RowModel::appendBatch(Texts &&texts)
{
    if (texts.isEmpty())
        return;
    reserveFor(texts.size());
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(texts.size()) - 1);
    for (auto &text : texts)
        m_rows.push_back({std::move(text), m_checkable});
    endInsertRows();
}

void RowModel::append(const QStringList &texts)
{
    appendBatch(texts);
}

void RowModel::append(QStringList &&texts)
{
    appendBatch(texts);
    texts.clear();
}

void RowModel::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    beginRemoveRows(QModelIndex(), index, index);
    m_rows.erase(m_rows.begin() + index);
    endRemoveRows();
}

void RowModel::clear()
{
    beginResetModel();
    m_rows = {};
    endResetModel();
}

int RowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant RowModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.text;
    case Qt::CheckStateRole:
        if (m_checkable)
            return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool RowModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_checkable || role != Qt::CheckStateRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags RowModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (m_checkable && index.isValid())
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant RowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return QAbstractListModel::headerData(section, orientation, role);
}
