// Appending rows to a list. A small batch into room the list has goes in at
// once; a larger one is built beside the list, slice by slice with the list's
// progress getting a yield after each, and goes in as one insertion: ten
// million rows take longer than the window may wait.
#include "lists/RowModel.h"

#include "core/Failure.h"
#include "core/Progress.h"
#include "core/Utf8Text.h"
#include "core/Yielding.h"

#include <algorithm>
#include <limits>

namespace {

constexpr quint32 NoSlot = std::numeric_limits<quint32>::max();
// Rows built between two yields; the status line's clock decides whether
// the event loop runs.
constexpr qsizetype SliceRows = YieldPacer::SortItems;

} // namespace

// The slots the blocks of an append take: the list's own for blocks it holds,
// the free ones (in the order slotFor() hands them out) for the others. The
// list is not touched until the rows go in; slotFor() then gives the same.
class RowModel::SlotPlan
{
public:
    explicit SlotPlan(const RowModel &list)
        : m_list(list), m_free(list.m_freeSlots), m_end(quint32(list.m_blocks.size()))
    {
    }

    quint32 slotOf(const TextBlock &block)
    {
        const auto &own = m_list.m_slotOfBlock;
        if (const auto it = own.constFind(block.get()); it != own.constEnd())
            return *it;
        if (const auto it = m_planned.constFind(block.get()); it != m_planned.constEnd())
            return *it;
        quint32 slot;
        if (!m_free.empty()) {
            slot = m_free.back();
            m_free.pop_back();
        } else {
            if (m_end >= MaxSlots)
                throw Failure::outOfMemory();
            slot = m_end++;
        }
        m_planned.insert(block.get(), slot);
        m_newBlocks.push_back(block);
        return slot;
    }
    // The same for blocks named by their place in a list of blocks.
    quint32 slotOf(quint32 id, const TextBlock &block)
    {
        if (id >= m_byId.size())
            m_byId.resize(size_t(id) + 1, NoSlot);
        if (m_byId[id] == NoSlot)
            m_byId[id] = slotOf(block);
        return m_byId[id];
    }
    // Kept by the slots touched, not by every slot: a list of a row a block
    // has as many slots as rows.
    void count(quint32 slot, qsizetype rows)
    {
        if (m_rows.empty() || m_rows.back().first != slot)
            m_rows.emplace_back(slot, 0);
        m_rows.back().second += rows;
    }

    // Takes the planned slots and adds the rows counted to them.
    void take(RowModel &list) const
    {
        for (const TextBlock &block : m_newBlocks) {
            [[maybe_unused]] const quint32 slot = list.slotFor(block);
            Q_ASSERT(slot == m_planned.value(block.get()));
        }
        for (const auto &[slot, rows] : m_rows)
            list.m_blocks[slot].rows += rows;
    }

private:
    const RowModel &m_list;
    std::vector<quint32> m_free;
    quint32 m_end;
    QHash<const QByteArray *, quint32> m_planned;
    std::vector<TextBlock> m_newBlocks;
    std::vector<quint32> m_byId;
    std::vector<std::pair<quint32, qsizetype>> m_rows; // slot, rows added to it
};

template <typename Fill>
bool RowModel::appendRows(qsizetype more, const RowModel *source, const Fill &fill)
{
    if (more <= 0)
        return true;
    checkRoomFor(more);
    const quint64 generation = m_generation;
    const quint64 sourceGeneration = source ? source->m_generation : 0;
    const auto changed = [&] {
        return m_generation != generation || (source && source->m_generation != sourceGeneration);
    };
    // Yields between two slices, not after the last one; false when the
    // lists changed meanwhile.
    bool sliced = false;
    const auto nextSlice = [&] {
        if (std::exchange(sliced, true) && m_progress)
            m_progress->yield();
        return !changed();
    };
    const size_t total = m_rows.size() + size_t(more);
    const bool beside = more > SliceRows || total > m_rows.capacity();
    SlotPlan plan(*this);
    std::vector<Row> built;
    if (beside) {
        built.reserve(std::max(total, m_rows.capacity() * 2));
        for (size_t at = 0; at < m_rows.size(); at += size_t(SliceRows)) {
            if (!nextSlice())
                return false;
            const auto from = m_rows.begin() + qsizetype(at);
            built.insert(built.end(), from,
                         from + std::min<qsizetype>(SliceRows, qsizetype(m_rows.size() - at)));
        }
    } else {
        built.reserve(size_t(more));
    }
    for (qsizetype from = 0; from < more; from += SliceRows) {
        if (!nextSlice())
            return false;
        fill(plan, built, from, std::min(more, from + SliceRows));
    }

    emit aboutToChange();
    // Nothing may fail once the rows are announced.
    if (total > m_checked.capacity())
        m_checked.reserve(std::max(total, m_checked.capacity() * 2));
    plan.take(*this);
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + int(more) - 1);
    std::vector<Row> old;
    if (beside)
        old = std::exchange(m_rows, std::move(built));
    else
        m_rows.insert(m_rows.end(), built.begin(), built.end());
    m_checked.resize(m_rows.size(), m_checkable);
    ++m_generation;
    endInsertRows();
    tell(RowChange::rowsInserted(first, int(more)));
    if (old.size() >= size_t(RowsFreedAside))
        dropInBackground(std::move(old));
    return true;
}

void RowModel::append(const QString &text)
{
    append(QStringList{text});
}

void RowModel::append(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    qsizetype total = 0;
    for (const QString &text : texts)
        total += text.size() * 3;
    QByteArray joined(total, Qt::Uninitialized);
    std::vector<RowSpan> spans;
    spans.reserve(size_t(texts.size()));
    char *out = joined.data();
    for (const QString &text : texts) {
        char *const end = Utf8::appendUnits(text, out);
        spans.push_back(RowSpan{out - joined.constData(), end - out});
        out = end;
    }
    joined.truncate(out - joined.constData());
    append(std::make_shared<const QByteArray>(std::move(joined)), spans);
}

void RowModel::append(const TextBlock &block, const std::vector<RowSpan> &spans)
{
    const auto fill = [&](SlotPlan &plan, std::vector<Row> &rows, qsizetype from, qsizetype to) {
        const quint32 slot = plan.slotOf(block);
        for (qsizetype i = from; i < to; ++i) {
            const RowSpan &span = spans[size_t(i)];
            if (span.size > qsizetype(std::numeric_limits<quint32>::max()) ||
                span.offset > MaxOffset)
                throw Failure::outOfMemory();
            rows.push_back(Row{slot, quint32(span.size), span.offset});
        }
        plan.count(slot, to - from);
    };
    while (!appendRows(qsizetype(spans.size()), nullptr, fill)) {
    }
}

void RowModel::append(const std::vector<TextBlock> &blocks, const LineRefs &lines)
{
    const auto fill = [&](SlotPlan &plan, std::vector<Row> &rows, qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) {
            const LineRef &line = lines[i];
            const quint32 slot = plan.slotOf(line.id, blocks[line.id]);
            rows.push_back(Row{slot, quint32(line.length),
                               qsizetype(line.bytes - blocks[line.id]->constData())});
            plan.count(slot, 1);
        }
    };
    while (!appendRows(lines.size(), nullptr, fill)) {
    }
}

void RowModel::appendChecked(const RowModel &from)
{
    for (;;) {
        // The rows checked when the building starts; boxes ticked meanwhile
        // do not change them.
        const std::vector<bool> checks = from.m_checked;
        size_t next = 0;
        const auto fill = [&](SlotPlan &plan, std::vector<Row> &rows, qsizetype first,
                              qsizetype end) {
            for (qsizetype made = first; made < end; ++next) {
                if (!checks[next])
                    continue;
                Row row = from.m_rows[next];
                const quint32 slot = plan.slotOf(row.slot(), from.m_blocks[row.slot()].block);
                row.setSlot(slot);
                rows.push_back(row);
                plan.count(slot, 1);
                ++made;
            }
        };
        if (appendRows(marksSet(checks), &from, fill))
            return;
    }
}
