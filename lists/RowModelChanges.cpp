// Taking rows out of a list and putting them back, and the changes that a
// list tells its recorder of.
#include "lists/RowModel.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr quint32 NoSlot = std::numeric_limits<quint32>::max();

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

RowModel::TakenRows RowModel::takeRows(int at, int count, bool asReset)
{
    emit aboutToChange();
    TakenRows taken;
    if (asReset && at == 0 && count == this->count()) {
        beginResetModel();
        taken.m_rows = std::exchange(m_rows, {});
        taken.m_checked = std::exchange(m_checked, {});
        taken.m_blocks = std::exchange(m_blocks, {});
        taken.m_slotOfBlock = std::exchange(m_slotOfBlock, {});
        taken.m_freeSlots = std::exchange(m_freeSlots, {});
        ++m_generation;
        endResetModel();
        return taken;
    }
    if (count <= 0)
        return taken;

    // Everything that can fail comes before the rows are announced.
    const auto first = m_rows.begin() + at;
    taken.m_rows.assign(first, first + count);
    taken.m_checked.assign(m_checked.begin() + at, m_checked.begin() + at + count);
    std::vector<quint32> localSlot(count == 1 ? 0 : m_blocks.size(), NoSlot);
    std::vector<quint32> listSlot; // of each local slot
    for (Row &row : taken.m_rows) {
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
    m_freeSlots.reserve(m_freeSlots.size() + listSlot.size());

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
    m_rows.erase(first, first + count);
    m_checked.erase(m_checked.begin() + at, m_checked.begin() + at + count);
    ++m_generation;
    endRemoveRows();
    return taken;
}

void RowModel::putRows(int at, TakenRows &&taken)
{
    const qsizetype size = qsizetype(taken.m_rows.size());
    if (size == 0)
        return;
    emit aboutToChange();
    if (count() == 0) {
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
    checkRoomFor(size);
    m_rows.reserve(m_rows.size() + size_t(size));
    m_checked.reserve(m_checked.size() + size_t(size));
    std::vector<quint32> slotOf(taken.m_blocks.size(), NoSlot);
    for (size_t local = 0; local < taken.m_blocks.size(); ++local) {
        if (taken.m_blocks[local].rows > 0)
            slotOf[local] = slotFor(taken.m_blocks[local].block);
    }

    beginInsertRows(QModelIndex(), at, at + int(size) - 1);
    for (Row &row : taken.m_rows)
        row.setSlot(slotOf[row.slot()]);
    for (size_t local = 0; local < taken.m_blocks.size(); ++local) {
        if (slotOf[local] != NoSlot)
            m_blocks[slotOf[local]].rows += taken.m_blocks[local].rows;
    }
    m_rows.insert(m_rows.begin() + at, taken.m_rows.begin(), taken.m_rows.end());
    m_checked.insert(m_checked.begin() + at, taken.m_checked.begin(), taken.m_checked.end());
    ++m_generation;
    endInsertRows();
    taken = TakenRows();
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
