#pragma once

#include "lists/RowModel.h"
#include "sort/Failure.h"
#include "sort/Progress.h"

#include <QAbstractItemModel>
#include <QString>

#include <memory>

// Read access to a list for the exports: columns with header texts, rows with
// one text per column and the check mark of the first column. Two flavours
// with the same members, so that the export routines (templates over them)
// read a RowModel directly and any other item model through its roles.
//
// A row that is no longer there (the list was cleared while an export yielded)
// makes the read throw the failure that the error box reports. Once any row
// has left the list, every row counts as gone, also when new rows have come
// in at the same places meanwhile: an export never mixes the rows of two
// lists.

namespace ExportList {

inline Failure rowGone()
{
    return Failure(QStringLiteral("Index out of bounds"));
}

// Notices rows leaving a model (removed, cleared, moved or reordered) from
// its construction on.
class RowsLeft
{
public:
    explicit RowsLeft(const QAbstractItemModel &model)
    {
        const auto left = [flag = m_left] { *flag = true; };
        m_connections[0] =
            QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, left);
        m_connections[1] = QObject::connect(&model, &QAbstractItemModel::modelAboutToBeReset, left);
        m_connections[2] = QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeMoved, left);
        m_connections[3] =
            QObject::connect(&model, &QAbstractItemModel::layoutAboutToBeChanged, left);
    }
    ~RowsLeft()
    {
        for (const QMetaObject::Connection &c : m_connections)
            QObject::disconnect(c);
    }
    RowsLeft(const RowsLeft &) = delete;
    RowsLeft &operator=(const RowsLeft &) = delete;

    bool operator()() const { return *m_left; }

private:
    std::shared_ptr<bool> m_left = std::make_shared<bool>(false);
    QMetaObject::Connection m_connections[4];
};

// The rows and the one column of a RowModel, without QVariant round trips.
class Rows
{
public:
    explicit Rows(const RowModel &model) : m_model(model), m_left(model) {}

    int rowCount() const { return m_model.count(); }
    int columnCount() const { return 1; }
    QString header(int) const { return m_model.header(); }
    bool has(int row) const { return !m_left() && row >= 0 && row < m_model.count(); }

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
    RowsLeft m_left;
};

// Any table model: DisplayRole texts, the check mark from column 0's
// CheckStateRole, the headers from headerData().
class Items
{
public:
    explicit Items(const QAbstractItemModel &model) : m_model(model), m_left(model) {}

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
            throw rowGone();
        return at.data(Qt::DisplayRole).toString();
    }
    bool checked(int row) const
    {
        const QModelIndex at = m_model.index(row, 0);
        if (!at.isValid() || m_left())
            throw rowGone();
        return at.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    }

private:
    const QAbstractItemModel &m_model;
    RowsLeft m_left;
};

// The yields between rows and cells. A call of Progress::yield() (a virtual
// call and a clock read) still costs about as much as writing a short row, so
// only every Every-th call is passed on; the status line's time slice then
// decides whether the event loop runs.
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
