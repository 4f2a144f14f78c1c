#pragma once

#include "sort/LineRefs.h"

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

class Progress;
class RowChangeRecorder;
struct RowChange;

// The rows of one list: a text and a check mark each, in the order they were
// appended. The list never re-orders, trims or rejects a row. A row is a
// stretch of a shared text block, not a text of its own. Every change is told
// to the list's recorder, if it has one, with what undoes it.
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
    // The same for count rows from first on, into out.
    void lineRefs(int first, int count, LineRef *out) const;
    std::vector<TextBlock> blocks() const;
    const QByteArray *blockText(quint32 slot) const { return m_blocks.at(slot).block.get(); }

    // Rows taken out of a list with their check marks and the blocks they
    // point into; moving them costs nothing, however many there are.
    class TakenRows;
    // Storage of this many rows or more is freed on a thread of its own.
    static constexpr qsizetype RowsFreedAside = qsizetype(1) << 20;
    // While set, appending many rows yields to progress between slices (the
    // rows go in at once when they are all built, and a change of the list
    // meanwhile starts the building again); null for none.
    void setProgress(Progress *progress) { m_progress = progress; }
    Progress *progress() const { return m_progress; }
    // Told of every later change to the rows or their check marks; null for
    // none. The recorder outlives the list or is unset first.
    void setRecorder(RowChangeRecorder *recorder) { m_recorder = recorder; }
    RowChangeRecorder *recorder() const { return m_recorder; }
    // Undoes a change that this list told its recorder of (on a list that has
    // changed back to how it was right after it), and gives the change that
    // does it again. The recorder is not told. A failure leaves the list and
    // the change as they were.
    RowChange revertChange(RowChange &change);

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

    class SlotPlan;
    class Slices;
    // Appends more rows, which fill(plan, rows, from, to) pushes onto rows
    // (rows [from, to) of the batch, their slots from the plan). Gives false,
    // with nothing appended, when this list or source (rows read by fill)
    // changed during a yield: the caller starts again.
    template <typename Fill>
    bool appendRows(qsizetype more, const RowModel *source, const Fill &fill);
    void checkRoomFor(qsizetype more) const;
    // How many of the marks are set.
    static qsizetype marksSet(const std::vector<bool> &marks);
    void allChecksChanged();
    quint32 slotFor(const TextBlock &block);
    void tell(RowChange &&change);
    // Takes count rows from at on, announced as removed rows or, for all rows
    // and asReset, as one reset (then the storage moves, nothing is copied).
    TakenRows takeRows(int at, int count, bool asReset);
    // Puts taken rows back in front of row at; into an empty list they move.
    void putRows(int at, TakenRows &&taken);

    std::vector<Row> m_rows;
    std::vector<bool> m_checked;
    std::vector<Slot> m_blocks;
    QHash<const QByteArray *, quint32> m_slotOfBlock;
    std::vector<quint32> m_freeSlots;
    QString m_header;
    bool m_checkable;
    RowChangeRecorder *m_recorder = nullptr;
    Progress *m_progress = nullptr;
    // Counts the changes of the rows and their blocks (not of check marks).
    quint64 m_generation = 0;
};

// The list's long changes yield to progress for as long as it lives.
class YieldingRows final
{
public:
    YieldingRows(RowModel &list, Progress *progress) : m_list(list), m_before(list.progress())
    {
        list.setProgress(progress);
    }
    ~YieldingRows() { m_list.setProgress(m_before); }
    YieldingRows(const YieldingRows &) = delete;
    YieldingRows &operator=(const YieldingRows &) = delete;

private:
    RowModel &m_list;
    Progress *m_before;
};

class RowModel::TakenRows
{
public:
    int count() const { return int(m_rows.size()); }
    // What the rows' records and check marks take, without their texts.
    qsizetype recordBytes() const;
    // The blocks the rows point into, each once.
    std::vector<const QByteArray *> blockTexts() const;

private:
    friend class RowModel;
    std::vector<Row> m_rows; // slots of m_blocks
    std::vector<bool> m_checked;
    std::vector<Slot> m_blocks;
    QHash<const QByteArray *, quint32> m_slotOfBlock;
    std::vector<quint32> m_freeSlots;
};

// One change to the rows of a list, with what undoes it: inserted rows are
// counted, removed rows kept (as references into their blocks), replaced check
// marks kept.
struct RowChange
{
    enum class Kind { RowsInserted, RowsRemoved, CheckToggled, ChecksReplaced, ChecksInverted };

    Kind kind = Kind::RowsInserted;
    int at = 0;    // the first row inserted or removed, the row toggled
    int count = 0; // rows inserted
    RowModel::TakenRows removed;
    std::vector<bool> checks; // every row's check mark before

    static RowChange rowsInserted(int at, int count);
    static RowChange rowsRemoved(int at, RowModel::TakenRows &&rows);
    static RowChange checkToggled(int at);
    static RowChange checksReplaced(std::vector<bool> &&before);
    static RowChange checksInverted();

    // What the change keeps alive of rows that left the list: their records
    // and check marks; the blocks they hold are in removed.blockTexts().
    qsizetype recordBytes() const;
};

// Collects the changes of the lists it is set on. The lists also tell it of
// the changes the user makes in them directly (removing a row, ticking a box),
// each between a beginStep() and an endStep() named for it.
class RowChangeRecorder
{
public:
    virtual void beginStep(const QString &name) = 0;
    virtual void endStep() = 0;
    virtual void record(RowModel &list, RowChange &&change) = 0;

protected:
    ~RowChangeRecorder() = default;
};

// A step of a recorder for as long as it lives; nothing without a recorder.
class RecordedStep final
{
public:
    RecordedStep(RowChangeRecorder *recorder, const QString &name) : m_recorder(recorder)
    {
        if (m_recorder)
            m_recorder->beginStep(name);
    }
    ~RecordedStep()
    {
        if (m_recorder)
            m_recorder->endStep();
    }
    RecordedStep(const RecordedStep &) = delete;
    RecordedStep &operator=(const RecordedStep &) = delete;

private:
    RowChangeRecorder *m_recorder;
};
