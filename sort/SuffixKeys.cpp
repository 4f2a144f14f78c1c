#include "sort/SuffixKeys.h"

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "core/Yielding.h"
#include "sort/EntrySort.h"
#include "sort/LineOperations.h"

#include <algorithm>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

// The order is the one that repeated passes of neighbour exchanges would
// reach (only a strictly greater key moves), but it is reached by merging:
// each key is derived once, where it starts in its line. The word keys leave
// lines without enough spaces in place; such a line is a wall that no line
// passes, so the lines between two walls are merged among themselves only.

namespace SortEngine {

namespace {

// Where a key starts in its line, when the line stays in place.
constexpr qsizetype WallLine = -1;

// The lines' own texts from an offset on.
template <typename Line> struct Suffixes
{
    using Text = LineText<Line>;
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = Text::HeadUnits;
    const Line *lines;

    qsizetype size(const Entry &entry) const { return lines[entry.line].size() - entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        key.head = Text::head(Text::units(lines[entry.line]) + entry.offset + from, left);
    }
};

// The entry of the line keyed from keyStart(line) on; none when only the
// units can find the key.
template <typename Line, typename KeyStart>
std::optional<Entry> suffixEntry(const Line &line, qsizetype i, const KeyStart &keyStart)
{
    using Text = LineText<Line>;
    if (Text::needsUnits(line))
        return std::nullopt;
    const qsizetype at = keyStart(line);
    if (at == InsideCharacter)
        return std::nullopt;
    return entryOf<Line>(Text::units(line) + at, line.size() - at, i, at);
}

// Keys every line by its text from keyStart(line) on, each half of the lines
// on its own thread.
template <typename Line, typename KeyStart>
SortOutcome sortBySuffix(LineList<Line> &lines, Progress *progress, KeyStart keyStart)
{
    if (!beginSort(lines, progress))
        return SortOutcome::Sorted;
    WorkArray<Entry> entries(lines.size());
    if (!entriesInHalves(lines, entries, progress, [&](const Line &line, qsizetype i) {
            return suffixEntry(line, i, keyStart);
        }))
        return SortOutcome::NeedsUnits;
    sortEntries(lines, entries, {}, Suffixes<Line>{lines.constData()}, progress);
    return SortOutcome::Sorted;
}

// The same where keyStart may make a line a wall, which stays in place
// (keyStart never starts a key inside a character): on one thread, the walls
// in line order.
template <typename Line, typename KeyStart>
SortOutcome sortBySuffixWithWalls(LineList<Line> &lines, Progress *progress, KeyStart keyStart)
{
    if (!beginSort(lines, progress))
        return SortOutcome::Sorted;
    WorkArray<Entry> entries(lines.size());
    std::vector<qsizetype> walls;
    // Room for the most there can be: growing would copy the list at once
    // into fresh memory, which is slow to touch; reserved room that is never
    // used is never touched.
    walls.reserve(std::size_t(lines.size()));
    const Line *texts = lines.constData();
    qsizetype count = 0;
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line &line = texts[i];
        const qsizetype at = keyStart(line);
        if (at == WallLine) {
            walls.push_back(i);
        } else {
            if (LineText<Line>::needsUnits(line))
                return SortOutcome::NeedsUnits;
            entries[count++] =
                entryOf<Line>(LineText<Line>::units(line) + at, line.size() - at, i, at);
        }
        yield();
    }
    entries.shrink(count);
    sortEntries(lines, entries, walls, Suffixes<Line>{texts}, progress);
    return SortOutcome::Sorted;
}

template <typename Line> qsizetype lineStart(const Line &)
{
    return 0;
}

// Sorting by a position below 1 is an invalid call, reported once two lines
// would be compared.
template <typename Line> SortOutcome failInvalidArgument(LineList<Line> &lines, Progress *progress)
{
    beginPass(progress, 1);
    if (lines.size() >= 2)
        throw Failure::invalidArgument();
    return SortOutcome::Sorted;
}

// The marker in the lines' units.
std::string markerIn(const QString &marker, std::string_view)
{
    const QByteArray bytes = Utf8::fromUtf16(marker);
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::u16string markerIn(const QString &marker, std::u16string_view)
{
    return std::u16string(reinterpret_cast<const char16_t *>(marker.utf16()),
                          std::size_t(marker.size()));
}

} // namespace

template <typename Line>
SortOutcome sortWholeLines(LineList<Line> &lines, WholeLines how, Progress *progress)
{
    if (!beginSort(lines, progress))
        return SortOutcome::Sorted;
    const qsizetype count = lines.size();
    WorkArray<Entry> entries(count);
    if (!entriesInHalves(lines, entries, progress, [](const Line &line, qsizetype i) {
            return suffixEntry(line, i, lineStart<Line>);
        }))
        return SortOutcome::NeedsUnits;
    const Suffixes<Line> texts{lines.constData()};
    switch (how) {
    case WholeLines::Ascending:
        sortEntries(lines, entries, {}, texts, progress);
        break;
    case WholeLines::Descending:
        sortEntries(lines, entries, {}, texts, progress, Direction::Descending);
        break;
    case WholeLines::RemovingDuplicates:
        sortEntries(lines, entries, {}, texts, progress);
        dropRepeatedNeighbours(lines, progress);
        break;
    case WholeLines::RemovingLaterDuplicates: {
        // A stable sort of the entries (the lines stay where they are) puts
        // identical lines next to each other, first occurrence first; all
        // but the first are marked, then the marked lines go.
        WorkArray<bool> dropped(count);
        const std::vector<qsizetype> oneSegment{count};
        sortEntriesThen(entries, oneSegment, texts, progress, [&](const Entry *sorted) {
            markRepeats(sorted, count, lines.constData(), dropped.data(), progress);
        });
        dropMarkedLines(lines, dropped.data(), progress);
        break;
    }
    }
    return SortOutcome::Sorted;
}

template <typename Line>
SortOutcome sortFromCharacter(LineList<Line> &lines, qint32 position, Progress *progress)
{
    if (position < 1)
        return failInvalidArgument(lines, progress);
    return sortBySuffix(lines, progress, [unit = qsizetype(position) - 1](const Line &line) {
        return LineText<Line>::offsetOfUnit(line, unit);
    });
}

template <typename Line>
SortOutcome sortFromWord(LineList<Line> &lines, qint32 word, Progress *progress)
{
    if (word < 1)
        return failInvalidArgument(lines, progress);
    if (word == 1) // no space to skip: the whole line is the key
        return sortWholeLines(lines, WholeLines::Ascending, progress);
    // From the (word - 1)-th space on, that space included.
    return sortBySuffixWithWalls(lines, progress, [spaces = qsizetype(word) - 1](const Line &line) {
        using View = typename LineText<Line>::View;
        const View text = LineText<Line>::view(line);
        std::size_t at = View::npos;
        for (qsizetype k = 0; k < spaces; ++k) {
            at = text.find(typename View::value_type(' '), at + 1);
            if (at == View::npos)
                return WallLine;
        }
        return qsizetype(at);
    });
}

template <typename Line>
SortOutcome sortAfterMarker(LineList<Line> &lines, const QString &marker, Progress *progress)
{
    if (marker.isEmpty()) // found at character 1 of every line
        return sortWholeLines(lines, WholeLines::Ascending, progress);
    using Text = LineText<Line>;
    // UTF-8 finds a character only where it begins, so the first match of
    // the bytes is the first match of the units, unless the marker holds a
    // surrogate.
    if constexpr (!std::is_same_v<Line, UnitLine>) {
        if (std::any_of(marker.begin(), marker.end(), [](QChar c) { return c.isSurrogate(); }))
            return beginSort(lines, progress) ? SortOutcome::NeedsUnits : SortOutcome::Sorted;
    }
    const auto wanted = markerIn(marker, typename Text::View());
    return sortBySuffix(lines, progress, [&wanted](const Line &line) {
        const std::size_t at = Text::view(line).find(wanted);
        return at == Text::View::npos ? qsizetype(0) : qsizetype(at);
    });
}

template SortOutcome sortWholeLines(LineRefs &, WholeLines, Progress *);
template SortOutcome sortWholeLines(UnitLines &, WholeLines, Progress *);
template SortOutcome sortFromCharacter(LineRefs &, qint32, Progress *);
template SortOutcome sortFromCharacter(UnitLines &, qint32, Progress *);
template SortOutcome sortFromWord(LineRefs &, qint32, Progress *);
template SortOutcome sortFromWord(UnitLines &, qint32, Progress *);
template SortOutcome sortAfterMarker(LineRefs &, const QString &, Progress *);
template SortOutcome sortAfterMarker(UnitLines &, const QString &, Progress *);

} // namespace SortEngine
