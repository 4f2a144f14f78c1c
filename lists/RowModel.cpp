#include "lists/RowModel.h"

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

void RowModel::append(const QString &text)
{
    const int at = count();
    beginInsertRows(QModelIndex(), at, at);
    m_rows.push_back({text, m_checkable});
    endInsertRows();
}

void RowModel::append(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    m_rows.reserve(m_rows.size() + static_cast<size_t>(texts.size()));
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(texts.size()) - 1);
    for (const QString &text : texts)
        m_rows.push_back({text, m_checkable});
    endInsertRows();
}

void RowModel::append(QStringList &&texts)
{
    if (texts.isEmpty())
        return;
    if (!texts.isDetached()) {
        append(std::as_const(texts));
        return;
    }
    m_rows.reserve(m_rows.size() + static_cast<size_t>(texts.size()));
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(texts.size()) - 1);
    for (QString &text : texts)
        m_rows.push_back({std::move(text), m_checkable});
    endInsertRows();
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
