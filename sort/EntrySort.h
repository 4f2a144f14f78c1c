#pragma once

#include "core/Failure.h"
#include "core/Progress.h"
#include "core/Yielding.h"
#include "sort/LineOperations.h"
#include "sort/MergeSorter.h"
#include "sort/SortKeys.h"
#include "sort/TieRefinement.h"
#include "sort/WorkArray.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

// The steps every keyed sort shares, for lines of UTF-8 and lines of units
// alike: the entries are sorted by their heads, their ties refined, and the
// lines put in the entries' order.
namespace SortEngine {

// Begins pass 1. Returns false when there is nothing to compare.
template <typename Line> bool beginSort(LineList<Line> &lines, Progress *progress)
{
    beginPass(progress, 1);
    if (lines.size() < 2)
        return false;
    if (lines.size() > MaxIndex)
        throw Failure::outOfMemory();
    return true;
}

inline void prefetch(const void *address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    Q_UNUSED(address);
#endif
}

// Puts the lines in the order of the sorted entries; walls keep their index.
// Line references are plain values, so they are copied aside as bytes and copied back in their new
// order: sequential writes, reads prefetched ahead, no reference counting. Only the first step can
// fail, before anything moved, so no line is lost or doubled: a window closed during the moving is
// only reported once every line object is back in the list. scratch, when not null, has room for
// every line object.
template <typename Line>
void applyOrder(LineList<Line> &lines, const Entry *sorted, const std::vector<qsizetype> &walls,
                std::byte *scratch, Progress *progress)
{
    static_assert(std::is_trivially_copyable_v<Line>);
    constexpr std::size_t Size = sizeof(Line);
    constexpr qsizetype Ahead = 16;
    const qsizetype count = lines.size();
    std::unique_ptr<WorkArray<std::byte>> aside;
    if (!scratch) {
        aside = std::make_unique<WorkArray<std::byte>>(count * qsizetype(Size));
        scratch = aside->data();
    }
    std::byte *const texts = reinterpret_cast<std::byte *>(static_cast<void *>(lines.data()));
    // Aside in steps: fresh scratch memory is slow to touch. Nothing has
    // moved yet, so a closed window may stop the sort here.
    for (qsizetype done = 0; done < count;) {
        const qsizetype step = std::min(YieldPacer::SortItems, count - done);
        std::memcpy(scratch + done * Size, texts + done * Size, std::size_t(step) * Size);
        done += step;
        if (progress)
            progress->yield();
    }

    const std::byte *const from = scratch;
    const Entry *const end = sorted + (count - qsizetype(walls.size()));
    auto wall = walls.begin();
    DeferredYield yield(progress, YieldPacer::SortItems);
    for (qsizetype k = 0; k < count; ++k) {
        yield();
        qsizetype line = k;
        if (wall != walls.end() && *wall == k) {
            ++wall;
        } else {
            if (end - sorted > Ahead)
                prefetch(from + sorted[Ahead].line * Size);
            line = sorted->line;
            ++sorted;
        }
        std::memcpy(texts + k * Size, from + line * Size, Size);
    }
    yield.finish();
}

// Sorts the entries stably by their keys, each segment on its own, and hands
// use() the sorted entries and the merge array that does not hold them (null
// when no merge round was needed). Pass 1 has begun.
template <typename Texts, typename Use>
void sortEntriesThen(WorkArray<Entry> &entries, const std::vector<qsizetype> &segmentEnds,
                     const Texts &texts, Progress *progress, Use use)
{
    MergeSorter sorter(entries, segmentEnds, HeadLess{});
    Entry *sorted = sorter.sort(progress);
    if constexpr (!Texts::HeadsAreWhole)
        refineTies(sorted, segmentEnds, texts, progress);
    use(sorted, sorter.spare(sorted));
}

enum class Direction {
    Ascending,
    Descending, // largest key first, equal keys still in input order
};

// Sorts the lines by their entries (the lines that take part, in line order);
// the walls, ascending, stay where they are. Only an ascending sort has walls.
// Pass 1 has begun.
template <typename Line, typename Texts>
void sortEntries(LineList<Line> &lines, WorkArray<Entry> &entries,
                 const std::vector<qsizetype> &walls, Texts texts, Progress *progress,
                 Direction direction = Direction::Ascending)
{
    std::vector<qsizetype> segmentEnds;
    segmentEnds.reserve(walls.size() + 1);
    // A wall at line w ends the segment of the entries before it.
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (std::size_t w = 0; w < walls.size(); ++w) {
        segmentEnds.push_back(walls[w] - qsizetype(w));
        yield();
    }
    const qsizetype count = entries.size();
    segmentEnds.push_back(count);

    // A stable ascending sort of the entries last line first, read backwards,
    // is the stable descending order: equal keys come out in input order.
    const bool descending = direction == Direction::Descending;
    Q_ASSERT(!descending || walls.empty());
    if (descending)
        reverseInSteps(entries.data(), count, progress);
    sortEntriesThen(entries, segmentEnds, texts, progress, [&](Entry *sorted, Entry *spare) {
        if (descending)
            reverseInSteps(sorted, count, progress);
        // Without walls there are as many entries as lines, and an entry is as
        // large as a line object, so the spare merge array can hold them all.
        static_assert(sizeof(Entry) >= sizeof(Line));
        std::byte *scratch = walls.empty() ? reinterpret_cast<std::byte *>(spare) : nullptr;
        applyOrder(lines, sorted, walls, scratch, progress);
    });
}

// Room for keys packed in one buffer, each half of the lines from its own
// start on: the sum of the most units each line's key can take, and where the
// second half starts. The buffer is sized for that worst case, but only the
// units written are ever touched.
struct KeyRoom
{
    qsizetype total = 0;
    qsizetype secondHalfStart = 0;
};

template <typename Line, typename MostUnits>
KeyRoom keyRoom(const LineList<Line> &lines, Progress *progress, MostUnits mostUnits)
{
    KeyRoom room;
    const qsizetype middle = lines.size() / 2;
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == middle)
            room.secondHalfStart = room.total;
        room.total += mostUnits(lines.at(i).size());
        yield();
    }
    return room;
}

// Marks every line that is the same as the line before it in sorted, the
// whole lines' entries sorted stably; the first of each run stays unmarked.
template <typename Line>
void markRepeats(const Entry *sorted, qsizetype count, const Line *texts, bool *repeated,
                 Progress *progress)
{
    YieldPacer yield(progress, YieldPacer::SortItems);
    repeated[sorted[0].line] = false;
    for (qsizetype k = 1; k < count; ++k) {
        const Entry &previous = sorted[k - 1];
        const Entry &entry = sorted[k];
        // Lines whose heads differ are not compared further.
        repeated[entry.line] =
            entry.head == previous.head && sameText(texts[entry.line], texts[previous.line]);
        yield();
    }
}

} // namespace SortEngine
