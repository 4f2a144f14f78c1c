// Taking rows out of a list and putting them back, and the changes that a
// list tells its recorder of.
#include "lists/RowModel.h"

#include "core/Progress.h"
#include "core/Yielding.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr quint32 NoSlot = std::numeric_limits<quint32>::max();
// Rows copied between two yields; the status line's clock decides whether
// the event loop runs.
constexpr qsizetype SliceRows = YieldPacer::SortItems;

} // namespace

qsizetype RowModel::TakenRows::recordBytes() const
{
    return qsizetype(m_rows.size() * sizeof(Row) + m_checked.size() / 8 +
                     m_blocks.size() * sizeof(Slot));
}

std::vector<const QByteArray *> RowModel::TakenRows::blockTexts() const
{
    std::vector<const QByteArray *> texts;
    for (const Slot &slot : m_blocks) {
        if (slot.rows > 0)
            texts.push_back(slot.block.get());
    }
    return texts;
}

qsizetype RowChange::recordBytes() const
{
    return removed.recordBytes() + qsizetype(checks.size() / 8);
}

RowChange RowChange::rowsInserted(int at, int count)
{
    RowChange change;
    change.at = at;
    change.count = count;
    return change;
}

RowChange RowChange::rowsRemoved(int at, RowModel::TakenRows &&rows)
{
    RowChange change;
    change.kind = Kind::RowsRemoved;
    change.at = at;
    change.removed = std::move(rows);
    return change;
}

RowChange RowChange::checkToggled(int at)
{
    RowChange change;
    change.kind = Kind::CheckToggled;
    change.at = at;
    return change;
}

RowChange RowChange::checksReplaced(std::vector<bool> &&before)
{
    RowChange change;
    change.kind = Kind::ChecksReplaced;
    change.checks = std::move(before);
    return change;
}

RowChange RowChange::checksInverted()
{
    RowChange change;
    change.kind = Kind::ChecksInverted;
    return change;
}

void RowModel::tell(RowChange &&change)
{
    if (m_recorder)
        m_recorder->record(*this, std::move(change));
}

// Slices of a long change, built beside the list: a yield to the list's
// progress between two, and whether the list changed meanwhile (the change
// then starts again from the list as it is).
class RowModel::Slices
{
public:
    // A change of few rows never yields.
    Slices(const RowModel &list, qsizetype rows)
        : m_list(list), m_generation(list.m_generation), m_yields(rows > SliceRows)
    {
    }

    // Before each slice: false when the list changed since the first.
    bool next()
    {
        if (std::exchange(m_started, true) && m_yields && m_list.m_progress)
            m_list.m_progress->yield();
        return m_list.m_generation == m_generation;
    }

private:
    const RowModel &m_list;
    const quint64 m_generation;
    const bool m_yields;
    bool m_started = false;
};

namespace {

// Appends items [from, to) of a vector (of rows or of marks) to into, a
// slice at a time; false when the list changed meanwhile.
template <typename Items, typename Next>
bool copyInSlices(const Items &items, qsizetype from, qsizetype to, Items &into, Next &next)
{
    for (qsizetype at = from; at < to; at += SliceRows) {
        if (!next())
            return false;
        into.insert(into.end(), items.begin() + at, items.begin() + std::min(to, at + SliceRows));
    }
    return true;
}

} // namespace

RowModel::TakenRows RowModel::takeRows(int at, int count, bool asReset)
{
    if (asReset && at == 0 && count == this->count()) {
        emit aboutToChange();
        beginResetModel();
        TakenRows taken;
        taken.m_rows = std::exchange(m_rows, {});
        taken.m_checked = std::exchange(m_checked, {});
        taken.m_blocks = std::exchange(m_blocks, {});
        taken.m_slotOfBlock = std::exchange(m_slotOfBlock, {});
        taken.m_freeSlots = std::exchange(m_freeSlots, {});
        ++m_generation;
        endResetModel();
        return taken;
    }
    // Everything that can fail comes before the rows are announced. Many
    // rows are copied in slices, the rows kept too when rows after the
    // taken ones would move; a change meanwhile starts again with the rows
    // then there.
    TakenRows taken;
    std::vector<quint32> listSlot; // of each local slot
    std::vector<Row> kept;
    std::vector<bool> keptChecked;
    bool besideKept = false;
    for (;;) {
        at = std::clamp(at, 0, this->count());
        count = std::clamp(count, 0, this->count() - at);
        if (count == 0)
            return TakenRows();
        const qsizetype end = qsizetype(at) + count;
        const qsizetype after = qsizetype(m_rows.size()) - end;
        besideKept = after > SliceRows;
        Slices slices(*this, besideKept ? qsizetype(m_rows.size()) : count);
        const auto next = [&] { return slices.next(); };
        taken = TakenRows();
        listSlot.clear();
        kept.clear();
        keptChecked.clear();
        std::vector<quint32> localSlot(count == 1 ? 0 : m_blocks.size(), NoSlot);
        taken.m_rows.reserve(size_t(count));
        bool copied = copyInSlices(m_rows, at, end, taken.m_rows, next) &&
                      copyInSlices(m_checked, at, end, taken.m_checked, next);
        for (qsizetype from = 0; copied && from < count; from += SliceRows) {
            copied = next();
            for (qsizetype k = from; copied && k < std::min<qsizetype>(count, from + SliceRows); ++k) {
                Row &row = taken.m_rows[size_t(k)];
                const quint32 slot = row.slot();
                quint32 local = count == 1 ? NoSlot : localSlot[slot];
                if (local == NoSlot) {
                    local = quint32(taken.m_blocks.size());
                    if (count != 1)
                        localSlot[slot] = local;
                    taken.m_blocks.push_back(Slot{m_blocks[slot].block, 0});
                    taken.m_slotOfBlock.insert(m_blocks[slot].block.get(), local);
                    listSlot.push_back(slot);
                }
                row.setSlot(local);
                ++taken.m_blocks[local].rows;
            }
        }
        if (copied && besideKept) {
            kept.reserve(m_rows.size() - size_t(count));
            keptChecked.reserve(m_rows.size() - size_t(count));
            copied = copyInSlices(m_rows, 0, at, kept, next) &&
                     copyInSlices(m_rows, end, qsizetype(m_rows.size()), kept, next) &&
                     copyInSlices(m_checked, 0, at, keptChecked, next) &&
                     copyInSlices(m_checked, end, qsizetype(m_checked.size()), keptChecked, next);
        }
        if (copied)
            break;
    }
    m_freeSlots.reserve(m_freeSlots.size() + listSlot.size());

    emit aboutToChange();
    beginRemoveRows(QModelIndex(), at, at + count - 1);
    for (size_t local = 0; local < listSlot.size(); ++local) {
        Slot &slot = m_blocks[listSlot[local]];
        slot.rows -= taken.m_blocks[local].rows;
        if (slot.rows == 0) {
            // The block goes once no list and no change points into it.
            m_slotOfBlock.remove(slot.block.get());
            slot.block.reset();
            m_freeSlots.push_back(listSlot[local]);
        }
    }
    std::vector<Row> old;
    std::vector<bool> oldChecked;
    if (besideKept) {
        old = std::exchange(m_rows, std::move(kept));
        oldChecked = std::exchange(m_checked, std::move(keptChecked));
    } else {
        m_rows.erase(m_rows.begin() + at, m_rows.begin() + at + count);
        m_checked.erase(m_checked.begin() + at, m_checked.begin() + at + count);
    }
    ++m_generation;
    endRemoveRows();
    if (old.size() >= size_t(RowsFreedAside))
        dropInBackground(std::move(old));
    return taken;
}

void RowModel::putRows(int at, TakenRows &&taken)
{
    const qsizetype size = qsizetype(taken.m_rows.size());
    if (size == 0)
        return;
    if (count() == 0) {
        emit aboutToChange();
        beginInsertRows(QModelIndex(), 0, int(size) - 1);
        m_rows = std::move(taken.m_rows);
        m_checked = std::move(taken.m_checked);
        m_blocks = std::move(taken.m_blocks);
        m_slotOfBlock = std::move(taken.m_slotOfBlock);
        m_freeSlots = std::move(taken.m_freeSlots);
        ++m_generation;
        endInsertRows();
        return;
    }
    // Room and slots first: nothing may fail once the rows are announced.
    // Many rows are built beside the list in slices, the list's own rows
    // around them; a change meanwhile starts again.
    checkRoomFor(size);
    std::vector<quint32> slotOf;
    std::vector<Row> built;
    std::vector<bool> builtChecked;
    bool beside = false;
    // The slots made for these rows, given up again should a yield throw.
    std::vector<quint32> made;
    const auto giveUpMade = [&] {
        for (const quint32 slot : made) {
            if (m_blocks[slot].rows == 0 && m_blocks[slot].block) {
                m_slotOfBlock.remove(m_blocks[slot].block.get());
                m_blocks[slot].block.reset();
                m_freeSlots.push_back(slot);
            }
        }
    };
    for (;;) {
        at = std::clamp(at, 0, count());
        slotOf.assign(taken.m_blocks.size(), NoSlot);
        for (size_t local = 0; local < taken.m_blocks.size(); ++local) {
            const TextBlock &block = taken.m_blocks[local].block;
            if (taken.m_blocks[local].rows == 0)
                continue;
            const bool held = m_slotOfBlock.contains(block.get());
            slotOf[local] = slotFor(block);
            if (!held)
                made.push_back(slotOf[local]);
        }
        beside = size + qsizetype(m_rows.size()) > SliceRows;
        if (!beside) {
            m_rows.reserve(m_rows.size() + size_t(size));
            m_checked.reserve(m_checked.size() + size_t(size));
            break;
        }
        Slices slices(*this, size + qsizetype(m_rows.size()));
        const auto next = [&] { return slices.next(); };
        built.clear();
        builtChecked.clear();
        bool copied = false;
        try {
            built.reserve(m_rows.size() + size_t(size));
            builtChecked.reserve(m_rows.size() + size_t(size));
            copied = copyInSlices(m_rows, 0, at, built, next);
            for (qsizetype from = 0; copied && from < size; from += SliceRows) {
                copied = next();
                for (qsizetype k = from; copied && k < std::min(size, from + SliceRows); ++k) {
                    Row row = taken.m_rows[size_t(k)];
                    row.setSlot(slotOf[row.slot()]);
                    built.push_back(row);
                }
            }
            copied = copied && copyInSlices(m_rows, at, qsizetype(m_rows.size()), built, next) &&
                     copyInSlices(m_checked, 0, at, builtChecked, next) &&
                     copyInSlices(taken.m_checked, 0, size, builtChecked, next) &&
                     copyInSlices(m_checked, at, qsizetype(m_checked.size()), builtChecked,
                                  next);
        } catch (...) {
            giveUpMade();
            throw;
        }
        if (copied)
            break;
    }

    emit aboutToChange();
    beginInsertRows(QModelIndex(), at, at + int(size) - 1);
    for (size_t local = 0; local < taken.m_blocks.size(); ++local) {
        if (slotOf[local] != NoSlot)
            m_blocks[slotOf[local]].rows += taken.m_blocks[local].rows;
    }
    std::vector<Row> old;
    if (beside) {
        old = std::exchange(m_rows, std::move(built));
        m_checked = std::move(builtChecked);
    } else {
        for (Row &row : taken.m_rows)
            row.setSlot(slotOf[row.slot()]);
        m_rows.insert(m_rows.begin() + at, taken.m_rows.begin(), taken.m_rows.end());
        m_checked.insert(m_checked.begin() + at, taken.m_checked.begin(),
                         taken.m_checked.end());
    }
    ++m_generation;
    endInsertRows();
    taken = TakenRows();
    if (old.size() >= size_t(RowsFreedAside))
        dropInBackground(std::move(old));
}

RowChange RowModel::revertChange(RowChange &change)
{
    using Kind = RowChange::Kind;
    // The change fits the list unless the list was changed past its
    // recorder; then as much of it as fits is undone.
    const int at = std::clamp(change.at, 0, count());
    switch (change.kind) {
    case Kind::RowsInserted: {
        const int rows = std::max(0, std::min(change.count, count() - at));
        // Rows that came into an empty list leave it as one reset.
        return RowChange::rowsRemoved(at, takeRows(at, rows, rows > 0 && rows == count()));
    }
    case Kind::RowsRemoved: {
        const int rows = change.removed.count();
        putRows(at, std::move(change.removed));
        return RowChange::rowsInserted(at, rows);
    }
    case Kind::CheckToggled:
        if (change.at >= 0 && change.at < count()) {
            const QModelIndex row = index(change.at);
            m_checked[size_t(change.at)].flip();
            emit dataChanged(row, row, {Qt::CheckStateRole});
        }
        return RowChange::checkToggled(change.at);
    case Kind::ChecksReplaced: {
        std::vector<bool> checks = std::move(change.checks);
        checks.resize(m_checked.size(), m_checkable);
        std::swap(checks, m_checked);
        allChecksChanged();
        return RowChange::checksReplaced(std::move(checks));
    }
    case Kind::ChecksInverted:
        m_checked.flip();
        allChecksChanged();
        return RowChange::checksInverted();
    }
    Q_UNREACHABLE();
    return {};
}
