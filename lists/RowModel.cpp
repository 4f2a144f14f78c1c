#include "lists/RowModel.h"

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "core/Yielding.h"
#include "lists/ShownText.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <type_traits>

using namespace Qt::StringLiterals;

RowModel::RowModel(bool checkable, QObject *parent)
    : QAbstractListModel(parent), m_checkable(checkable)
{
}

void RowModel::setHeader(const QString &header)
{
    if (m_header == header)
        return;
    m_header = header;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

std::string_view RowModel::bytes(int index) const
{
    const Row &row = m_rows.at(static_cast<size_t>(index));
    return {m_blocks[row.slot()].block->constData() + row.offset(), row.size};
}

QString RowModel::text(int index) const
{
    return Utf8::toUtf16(bytes(index));
}

QString RowModel::shownText(int index) const
{
    return ShownText::fromUtf8(bytes(index));
}

void RowModel::setChecked(int index, bool checked)
{
    auto mark = m_checked.at(static_cast<size_t>(index));
    if (mark == checked)
        return;
    mark = checked;
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at, {Qt::CheckStateRole});
    tell(RowChange::checkToggled(index));
}

void RowModel::setAllChecked(bool checked)
{
    const qsizetype wanted = checked ? qsizetype(m_checked.size()) : 0;
    const bool changes = marksSet(m_checked) != wanted;
    std::vector<bool> before = changes && m_recorder ? m_checked : std::vector<bool>();
    std::fill(m_checked.begin(), m_checked.end(), checked);
    allChecksChanged();
    if (changes)
        tell(RowChange::checksReplaced(std::move(before)));
}

void RowModel::invertChecks()
{
    m_checked.flip();
    allChecksChanged();
    if (!m_checked.empty())
        tell(RowChange::checksInverted());
}

int RowModel::checkedCount() const
{
    return int(marksSet(m_checked));
}

qsizetype RowModel::marksSet(const std::vector<bool> &marks)
{
#if defined(__GLIBCXX__)
    // A word at a time: std::count tests ten million marks one by one in
    // about 30 ms.
    using Word = std::remove_cv_t<std::remove_pointer_t<decltype(marks.begin()._M_p)>>;
    constexpr size_t Bits = sizeof(Word) * 8;
    const Word *const words = marks.begin()._M_p;
    const size_t whole = marks.size() / Bits;
    qsizetype set = 0;
    for (size_t i = 0; i < whole; ++i)
        set += std::popcount(words[i]);
    return set + qsizetype(std::count(marks.begin() + qsizetype(whole * Bits), marks.end(), true));
#else
    return qsizetype(std::count(marks.begin(), marks.end(), true));
#endif
}

void RowModel::allChecksChanged()
{
    if (m_checkable && count() > 0)
        emit dataChanged(index(0), index(count() - 1), {Qt::CheckStateRole});
}

void RowModel::checkRoomFor(qsizetype more) const
{
    if (more > std::numeric_limits<int>::max() - count())
        throw Failure::outOfMemory();
}

quint32 RowModel::slotFor(const TextBlock &block)
{
    if (const auto it = m_slotOfBlock.constFind(block.get()); it != m_slotOfBlock.constEnd())
        return *it;
    quint32 slot;
    if (!m_freeSlots.empty()) {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        m_blocks[slot] = Slot{block, 0};
    } else {
        if (m_blocks.size() >= MaxSlots)
            throw Failure::outOfMemory();
        slot = quint32(m_blocks.size());
        m_blocks.push_back(Slot{block, 0});
    }
    m_slotOfBlock.insert(block.get(), slot);
    return slot;
}

LineRef RowModel::lineRef(int index) const
{
    const Row &row = m_rows.at(static_cast<size_t>(index));
    return LineRef{m_blocks[row.slot()].block->constData() + row.offset(), row.size, row.slot()};
}

void RowModel::lineRefs(int first, int count, LineRef *out) const
{
    if (first < 0 || count < 0 || first + count > this->count())
        throw Failure::indexOutOfBounds();
    const Row *const rows = m_rows.data() + first;
    // Rows of one block follow each other: its text is looked up once a run.
    quint32 slot = std::numeric_limits<quint32>::max();
    const char *text = nullptr;
    for (int k = 0; k < count; ++k) {
        const Row &row = rows[k];
        if (row.slot() != slot) {
            slot = row.slot();
            text = m_blocks[slot].block->constData();
        }
        out[k] = LineRef{text + row.offset(), row.size, slot};
    }
}

std::vector<TextBlock> RowModel::blocks() const
{
    std::vector<TextBlock> blocks;
    blocks.reserve(m_blocks.size());
    for (const Slot &slot : m_blocks)
        blocks.push_back(slot.block);
    return blocks;
}

void RowModel::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    TakenRows taken = takeRows(index, 1, false);
    tell(RowChange::rowsRemoved(index, std::move(taken)));
}

void RowModel::clear()
{
    const int rows = count();
    TakenRows taken = takeRows(0, rows, true);
    if (rows > 0 && m_recorder)
        tell(RowChange::rowsRemoved(0, std::move(taken)));
    else if (rows >= RowModel::RowsFreedAside)
        dropInBackground(std::move(taken)); // without a recorder to keep them
}

int RowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant RowModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return shownText(index.row());
    case Qt::CheckStateRole:
        if (m_checkable)
            return m_checked[static_cast<size_t>(index.row())] ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool RowModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_checkable || role != Qt::CheckStateRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    // The user ticks or clears a box through here (a click, the space key,
    // assistive technology): a step of its own, even while a command runs.
    const bool checked = value.value<Qt::CheckState>() == Qt::Checked;
    const RecordedStep step(m_recorder, checked ? u"Check Row"_s : u"Uncheck Row"_s);
    setChecked(index.row(), checked);
    return true;
}

Qt::ItemFlags RowModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (m_checkable && index.isValid())
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant RowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return QAbstractListModel::headerData(section, orientation, role);
}

QModelIndexList RowModel::match(const QModelIndex &start, int role, const QVariant &value, int hits,
                                Qt::MatchFlags flags) const
{
    // Searches for a text's start, the one kind a view's type-ahead asks for;
    // every other search is the base class's.
    const Qt::MatchFlags handled = Qt::MatchTypeMask | Qt::MatchWrap | Qt::MatchCaseSensitive;
    if (role != Qt::DisplayRole || (flags & Qt::MatchTypeMask) != Qt::MatchStartsWith ||
        (flags & ~handled) || start.model() != this || start.parent().isValid() ||
        value.userType() != QMetaType::QString)
        return QAbstractListModel::match(start, role, value, hits, flags);

    const QString wanted = value.toString();
    const Qt::CaseSensitivity cs =
        flags.testFlag(Qt::MatchCaseSensitive) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const int from = start.row();
    const bool wrap = flags.testFlag(Qt::MatchWrap);
    QModelIndexList found;
    // Only the start of a row is converted, as far as the wanted text can
    // reach: no unit takes more than three bytes.
    const qsizetype reach = wanted.size() * 3;
    std::vector<char16_t> rowStart(std::size_t(reach) + 1);
    // A row that starts with another ASCII character than the wanted text
    // (in either case, unless the case counts) is passed over at once: only
    // the case pairs of ASCII fold into each other.
    const char16_t firstWanted = wanted.isEmpty() ? 0 : wanted.front().unicode();
    const bool asciiFirst = firstWanted > 0 && firstWanted < 0x80;
    const auto lowered = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    const char16_t firstFolded = cs == Qt::CaseSensitive ? firstWanted : lowered(firstWanted);
    const auto search = [&](int first, int end) {
        for (int r = first; r < end && (hits == -1 || found.size() < hits); ++r) {
            const std::string_view row = bytes(r);
            if (asciiFirst && !row.empty() && uchar(row.front()) < 0x80) {
                const char16_t c = char16_t(uchar(row.front()));
                if ((cs == Qt::CaseSensitive ? c : lowered(c)) != firstFolded)
                    continue;
            }
            const qsizetype size = std::min<qsizetype>(qsizetype(row.size()), reach);
            const char16_t *const units = rowStart.data();
            const qsizetype written =
                Utf8::writeUnits(row.substr(0, size_t(size)), rowStart.data()) - units;
            if (QStringView(units, written).startsWith(wanted, cs))
                found.append(index(r));
        }
    };
    search(from, count());
    if (wrap)
        search(0, from);
    return found;
}
