#pragma once

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "lists/RowModel.h"

#include <QAbstractItemModel>
#include <QObject>
#include <QString>
#include <QStringView>

#include <memory>
#include <string_view>

// Read access to a list for the exports: columns with header texts, rows with
// one text per column and the check mark of the first column. The export
// routines are templates over a reader with these members; RowModelReader
// reads a RowModel directly, without QVariant round trips.
//
// A row that is no longer there (the list was cleared while an export yielded)
// makes the read throw the failure that the error box reports. Once any row
// has left the list, every row counts as gone, also when new rows have come
// in at the same places meanwhile: an export never mixes the rows of two
// lists.

namespace ListReader {

inline Failure rowGone()
{
    return Failure::indexOutOfBounds();
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

// A cell as a reader gives it: a text of its own, or the UTF-8 bytes of a
// row. Its length counts UTF-16 code units.
inline qsizetype unitCount(QStringView text)
{
    return text.size();
}

inline qsizetype unitCount(std::string_view bytes)
{
    return Utf8::utf16Size(bytes);
}

inline QString textOf(const QString &text)
{
    return text;
}

inline QString textOf(std::string_view bytes)
{
    return Utf8::toUtf16(bytes);
}

// The rows and the one column of a RowModel, without QVariant round trips.
class RowModelReader
{
public:
    explicit RowModelReader(const RowModel &model) : m_model(model), m_left(model) {}

    int rowCount() const { return m_model.count(); }
    int columnCount() const { return 1; }
    QString header(int) const { return m_model.header(); }
    bool has(int row) const { return !m_left() && row >= 0 && row < m_model.count(); }

    // The row's UTF-8 bytes, valid until the list changes: read them before
    // the next yield.
    std::string_view cell(int row, int) const
    {
        if (!has(row))
            throw rowGone();
        return m_model.bytes(row);
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

} // namespace ListReader
