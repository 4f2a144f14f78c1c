#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The rows of one list: a text and a check mark each, in the order they were
// appended. The list never re-orders, trims or rejects a row.
class RowModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    // A checkable list shows a check box in front of every row, and its new
    // rows start checked.
    explicit RowModel(bool checkable, QObject *parent = nullptr);

    void setHeader(const QString &header);
    const QString &header() const { return m_header; }
    bool checkable() const { return m_checkable; }

    // Zero-based access for the code; the user's positions are these plus one.
    int count() const { return static_cast<int>(m_texts.size()); }
    const QString &text(int index) const { return m_texts.at(index); }
    bool isChecked(int index) const { return m_checked.at(static_cast<size_t>(index)); }
    // Every row's text in row order (a shared copy costs nothing).
    const QStringList &texts() const { return m_texts; }
    void setChecked(int index, bool checked);

    void append(const QString &text);
    // One insertion for the whole batch. Throws Failure ("Out of memory") when
    // the list would grow past the largest row count a view can address. An
    // empty list takes over a moved-in batch without copying it.
    void append(const QStringList &texts);
    void append(QStringList &&texts);
    void removeAt(int index);
    void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void checkRoomFor(qsizetype more) const;
    void insertBatch(qsizetype size, const std::function<void()> &insert);

    // Side by side, one entry per row.
    QStringList m_texts;
    std::vector<bool> m_checked;
    QString m_header;
    bool m_checkable;
};
