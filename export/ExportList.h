#pragma once

#include "lists/RowModel.h"
#include "sort/Failure.h"
#include "sort/Progress.h"

#include <QAbstractItemModel>
#include <QString>

// Read access to a list for the exports: columns with header texts, rows with
// one text per column and the check mark of the first column. Two flavours
// with the same members, so that the export routines (templates over them)
// read a RowModel directly and any other item model through its roles.
//
// A row that is no longer there (the list was cleared while an export yielded)
// makes the read throw the failure that the error box reports.

namespace ExportList {

inline Failure rowGone()
{
    return Failure(QStringLiteral("Index out of bounds"));
}

// The rows and the one column of a RowModel, without QVariant round trips.
class Rows
{
public:
    explicit Rows(const RowModel &model) : m_model(model) {}

    int rowCount() const { return m_model.count(); }
    int columnCount() const { return 1; }
    QString header(int) const { return m_model.header(); }
    bool has(int row) const { return row >= 0 && row < m_model.count(); }

    const QString &cell(int row, int) const
    {
        if (!has(row))
            throw rowGone();
        return m_model.text(row);
    }
    bool checked(int row) const
    {
        if (!has(row))
            throw rowGone();
        return m_model.isChecked(row);
    }

private:
    const RowModel &m_model;
};

// Any table model: DisplayRole texts, the check mark from column 0's
// CheckStateRole, the headers from headerData().
class Items
{
public:
    explicit Items(const QAbstractItemModel &model) : m_model(model) {}

    int rowCount() const { return m_model.rowCount(); }
    int columnCount() const { return m_model.columnCount(); }
    QString header(int column) const
    {
        return m_model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    bool has(int row) const { return row >= 0 && row < m_model.rowCount(); }

    QString cell(int row, int column) const
    {
        const QModelIndex at = m_model.index(row, column);
        if (!at.isValid())
            throw rowGone();
        return at.data(Qt::DisplayRole).toString();
    }
    bool checked(int row) const
    {
        const QModelIndex at = m_model.index(row, 0);
        if (!at.isValid())
            throw rowGone();
        return at.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    }

private:
    const QAbstractItemModel &m_model;
};

// The yields between rows and cells. Progress::yield() reads the clock to
// decide whether the event loop is due, which costs more than writing a short
// row, so only every Every-th call is passed on.
class Yielder
{
public:
    static constexpr int Every = 64;

    explicit Yielder(Progress *progress) : m_progress(progress) {}

    void operator()()
    {
        if (m_progress && ++m_calls == Every) {
            m_calls = 0;
            m_progress->yield();
        }
    }

private:
    Progress *m_progress;
    int m_calls = 0;
};

// Calls f with the fastest reader for the model.
template <typename F> decltype(auto) visit(const QAbstractItemModel &model, F &&f)
{
    if (const auto *rows = qobject_cast<const RowModel *>(&model))
        return f(Rows(*rows));
    return f(Items(model));
}

} // namespace ExportList
