#include "lists/RowModel.h"

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "lists/ShownText.h"

#include <algorithm>
#include <limits>

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
    const bool changes = std::find(m_checked.begin(), m_checked.end(), !checked) != m_checked.end();
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
    return int(std::count(m_checked.begin(), m_checked.end(), true));
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

// Room is made before the rows are announced, so a failure leaves the list as
// it was; the insertion itself cannot fail.
void RowModel::makeRoom(qsizetype size)
{
    checkRoomFor(size);
    const size_t total = m_rows.size() + size_t(size);
    if (total > m_rows.capacity())
        m_rows.reserve(std::max(total, m_rows.capacity() * 2));
    if (total > m_checked.capacity())
        m_checked.reserve(std::max(total, m_checked.capacity() * 2));
}

void RowModel::beginBatch(qsizetype size)
{
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(size) - 1);
}

void RowModel::endBatch(qsizetype size)
{
    m_checked.resize(m_rows.size(), m_checkable);
    endInsertRows();
    tell(RowChange::rowsInserted(count() - int(size), int(size)));
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
    if (spans.empty())
        return;
    emit aboutToChange();
    for (const RowSpan &span : spans) {
        if (span.size > qsizetype(std::numeric_limits<quint32>::max()) || span.offset > MaxOffset)
            throw Failure::outOfMemory();
    }
    makeRoom(qsizetype(spans.size()));
    const quint32 slot = slotFor(block);
    beginBatch(qsizetype(spans.size()));
    for (const RowSpan &span : spans)
        m_rows.push_back(Row{slot, quint32(span.size), span.offset});
    m_blocks[slot].rows += qsizetype(spans.size());
    endBatch(qsizetype(spans.size()));
}

void RowModel::append(const std::vector<TextBlock> &blocks, const LineRefs &lines)
{
    if (lines.size() == 0)
        return;
    emit aboutToChange();
    // Room and slots first: nothing may fail once the rows are announced.
    makeRoom(lines.size());
    std::vector<quint32> slotOf(blocks.size(), std::numeric_limits<quint32>::max());
    for (const LineRef &line : lines) {
        if (slotOf[line.id] == std::numeric_limits<quint32>::max())
            slotOf[line.id] = slotFor(blocks[line.id]);
    }
    beginBatch(lines.size());
    for (const LineRef &line : lines) {
        const quint32 slot = slotOf[line.id];
        const char *start = blocks[line.id]->constData();
        m_rows.push_back(Row{slot, quint32(line.length), qsizetype(line.bytes - start)});
        ++m_blocks[slot].rows;
    }
    endBatch(lines.size());
}

void RowModel::appendChecked(const RowModel &from)
{
    const qsizetype size = from.checkedCount();
    if (size == 0)
        return;
    emit aboutToChange();
    // Room and slots first: nothing may fail once the rows are announced.
    makeRoom(size);
    std::vector<quint32> slotOf(from.m_blocks.size(), std::numeric_limits<quint32>::max());
    for (size_t i = 0; i < from.m_rows.size(); ++i) {
        const quint32 theirs = from.m_rows[i].slot();
        if (from.m_checked[i] && slotOf[theirs] == std::numeric_limits<quint32>::max())
            slotOf[theirs] = slotFor(from.m_blocks[theirs].block);
    }
    beginBatch(size);
    const size_t rows = from.m_rows.size(); // from may be this list
    for (size_t i = 0; i < rows; ++i) {
        if (!from.m_checked[i])
            continue;
        Row row = from.m_rows[i];
        row.setSlot(slotOf[row.slot()]);
        m_rows.push_back(row);
        ++m_blocks[row.slot()].rows;
    }
    endBatch(size);
}

LineRef RowModel::lineRef(int index) const
{
    const Row &row = m_rows.at(static_cast<size_t>(index));
    return LineRef{m_blocks[row.slot()].block->constData() + row.offset(), row.size, row.slot()};
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
    // Without a recorder to keep them, the rows go here.
    TakenRows taken = takeRows(0, rows, true);
    if (rows > 0)
        tell(RowChange::rowsRemoved(0, std::move(taken)));
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
