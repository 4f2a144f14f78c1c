#pragma once

#include "export/ListReader.h"

#include <QAbstractItemModel>
#include <QString>

// Reads any table model for the exports, as a list of several columns would
// be read: DisplayRole texts, the check mark from column 0's CheckStateRole,
// the headers from headerData().
class ItemModelReader final
{
public:
    explicit ItemModelReader(const QAbstractItemModel &model) : m_model(model), m_left(model) {}

    int rowCount() const { return m_model.rowCount(); }
    int columnCount() const { return m_model.columnCount(); }
    QString header(int column) const
    {
        return m_model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    bool has(int row) const { return !m_left() && row >= 0 && row < m_model.rowCount(); }

    QString cell(int row, int column) const
    {
        const QModelIndex at = m_model.index(row, column);
        if (!at.isValid() || m_left())
            throw ListReader::rowGone();
        return at.data(Qt::DisplayRole).toString();
    }
    bool checked(int row) const
    {
        const QModelIndex at = m_model.index(row, 0);
        if (!at.isValid() || m_left())
            throw ListReader::rowGone();
        return at.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    }

private:
    const QAbstractItemModel &m_model;
    ListReader::RowsLeft m_left;
};
