#include "lists/RowModel.h"

#include "core/Failure.h"

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
    auto mark = m_checked.at(static_cast<size_t>(index));
    if (mark == checked)
        return;
    mark = checked;
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at, {Qt::CheckStateRole});
}

void RowModel::checkRoomFor(qsizetype more) const
{
    if (more > std::numeric_limits<int>::max() - count())
        throw Failure::outOfMemory();
}

// Room is made before the rows are announced, so a failure leaves the list as
// it was; the insertion itself cannot fail.
void RowModel::insertBatch(qsizetype size, const std::function<void()> &insert)
{
    if (size == 0)
        return;
    checkRoomFor(size);
    const qsizetype total = m_texts.size() + size;
    if (total > m_texts.capacity())
        m_texts.reserve(std::max(total, m_texts.capacity() * 2));
    if (static_cast<size_t>(total) > m_checked.capacity())
        m_checked.reserve(std::max(static_cast<size_t>(total), m_checked.capacity() * 2));
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(size) - 1);
    insert();
    m_checked.resize(static_cast<size_t>(total), m_checkable);
    endInsertRows();
}

void RowModel::append(const QString &text)
{
    insertBatch(1, [&] { m_texts.append(text); });
}

void RowModel::append(const QStringList &texts)
{
    insertBatch(texts.size(), [&] { m_texts.append(texts); });
}

void RowModel::append(QStringList &&texts)
{
    if (m_texts.isEmpty()) {
        checkRoomFor(texts.size());
        m_checked.reserve(static_cast<size_t>(texts.size()));
        if (texts.isEmpty())
            return;
        beginInsertRows(QModelIndex(), 0, static_cast<int>(texts.size()) - 1);
        m_texts = std::move(texts);
        m_checked.resize(static_cast<size_t>(m_texts.size()), m_checkable);
        endInsertRows();
    } else {
        insertBatch(texts.size(), [&] { m_texts.append(std::move(texts)); });
    }
    texts.clear();
}

void RowModel::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    beginRemoveRows(QModelIndex(), index, index);
    m_texts.removeAt(index);
    m_checked.erase(m_checked.begin() + index);
    endRemoveRows();
}

void RowModel::clear()
{
    beginResetModel();
    m_texts = QStringList();
    m_checked = {};
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
    switch (role) {
    case Qt::DisplayRole:
        return m_texts[index.row()];
    case Qt::CheckStateRole:
        if (m_checkable)
            return m_checked[static_cast<size_t>(index.row())] ? Qt::Checked : Qt::Unchecked;
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
