#pragma once

#include "sort/SortRoutines.h"

#include <QAbstractListModel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <string_view>
#include <vector>

// An immutable run of UTF-8 text that rows point into: the bytes of one
// loaded file (converted to UTF-8 when it was not), the sample, or a batch of
// appended texts. Rows of both lists share it; it goes when the last row
// that points into it has left. A lone surrogate from a 16-bit file is held
// as its three bytes (see core/Utf8Text.h).
using TextBlock = std::shared_ptr<const QByteArray>;

// Where a row's text is: a stretch of one block, in bytes.
struct RowSpan
{
    qsizetype offset;
    qsizetype size;
};

// The rows of one list: a text and a check mark each, in the order they were
// appended. The list never re-orders, trims or rejects a row. A row is a
// stretch of a shared text block, not a text of its own.
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
    int count() const { return static_cast<int>(m_rows.size()); }
    // The row's UTF-8 bytes, valid until the list changes.
    std::string_view bytes(int index) const;
    // The row's whole text, as the sort and the exports read it.
    QString text(int index) const;
    // What the lists show of the row: its start, cut with an ellipsis when
    // the row is longer than ShownText::MaxUnits. The display role gives it.
    QString shownText(int index) const;
    bool isChecked(int index) const { return m_checked.at(static_cast<size_t>(index)); }
    // Every row's text in row order, each a text of its own.
    QStringList texts() const;
    void setChecked(int index, bool checked);
    // Every row's check mark at once, told to the views as one change.
    void setAllChecked(bool checked);
    void invertChecks();
    int checkedCount() const;

    // One insertion for the whole batch. Throws Failure ("Out of memory") when
    // the list would grow past the largest row count a view can address.
    void append(const QString &text);
    void append(const QStringList &texts);
    // The rows of a block, in one insertion.
    void append(const TextBlock &block, const std::vector<RowSpan> &spans);
    // Rows read as line references, each naming its block in blocks.
    void append(const std::vector<TextBlock> &blocks, const LineRefs &lines);
    // The checked rows of another list, in its order, in one insertion; they
    // point into the same blocks, no text is copied.
    void appendChecked(const RowModel &from);
    void removeAt(int index);
    void clear();

    // A row as the sort reads it: its text and, as its id, the slot of its
    // block. blocks() gives the blocks by slot; holding them keeps the texts
    // readable after the rows left the list.
    LineRef lineRef(int index) const;
    std::vector<TextBlock> blocks() const;
    const QByteArray *blockText(quint32 slot) const { return m_blocks.at(slot).block.get(); }

signals:
    // Emitted before any row is added, removed or replaced (before the rows'
    // storage moves), so that work reading the rows on another thread can
    // stop first. Check marks may change without it.
    void aboutToChange();

public:
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Finds rows as QAbstractItemModel::match does. Typing the first letters
    // of a row in a view searches this way; the rows' texts are read where
    // they are, not copied one by one, so a search of ten million rows does
    // not hold the window.
    QModelIndexList match(const QModelIndex &start, int role, const QVariant &value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith |
                                                                Qt::MatchWrap)) const override;

private:
    // Twelve bytes: the size, and the offset (40 bits, up to a terabyte into
    // a block) with the block's slot (24 bits) in two words.
    struct Row
    {
        quint32 size;
        quint32 offsetLow;
        quint32 slotAndOffsetHigh;

        Row(quint32 slot, quint32 size, qsizetype offset)
            : size(size), offsetLow(quint32(offset)),
              slotAndOffsetHigh((slot << 8) | quint32(quint64(offset) >> 32))
        {
        }
        quint32 slot() const { return slotAndOffsetHigh >> 8; }
        void setSlot(quint32 slot) { slotAndOffsetHigh = (slot << 8) | (slotAndOffsetHigh & 0xFF); }
        qsizetype offset() const
        {
            return qsizetype(offsetLow) | (qsizetype(slotAndOffsetHigh & 0xFF) << 32);
        }
    };
    static constexpr qsizetype MaxOffset = (qsizetype(1) << 40) - 1;
    static constexpr quint32 MaxSlots = 1u << 24;
    struct Slot
    {
        TextBlock block;
        qsizetype rows = 0; // rows of this list in the block
    };

    void checkRoomFor(qsizetype more) const;
    void allChecksChanged();
    quint32 slotFor(const TextBlock &block);
    void makeRoom(qsizetype size);
    void beginBatch(qsizetype size);
    void endBatch(qsizetype size);

    std::vector<Row> m_rows;
    std::vector<bool> m_checked;
    std::vector<Slot> m_blocks;
    QHash<const QByteArray *, quint32> m_slotOfBlock;
    std::vector<quint32> m_freeSlots;
    QString m_header;
    bool m_checkable;
};
