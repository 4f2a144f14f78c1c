#pragma once

#include "core/Failure.h"
#include "core/Progress.h"
#include "core/Yielding.h"
#include "sort/HeadRadixSort.h"
#include "sort/LineOperations.h"
#include "sort/MergeSorter.h"
#include "sort/SortEntries.h"
#include "sort/TieRefinement.h"
#include "sort/TwoThreads.h"
#include "sort/WorkArray.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
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
// Line references are plain values no larger than an entry: each entry is
// overwritten with the line it names (reads prefetched ahead), then the
// lines are copied back in that order. No line moves in the first step, so a
// window closed then may stop the sort there; during the second one it is
// only reported once every line object is back in the list.
template <typename Line>
void applyOrder(LineList<Line> &lines, Entry *sorted, const std::vector<qsizetype> &walls,
                Progress *progress)
{
    static_assert(std::is_trivially_copyable_v<Line> && sizeof(Line) <= sizeof(Entry));
    constexpr std::size_t Size = sizeof(Line);
    constexpr qsizetype Ahead = 16;
    const qsizetype count = lines.size();
    const qsizetype entryCount = count - qsizetype(walls.size());
    std::byte *const texts = reinterpret_cast<std::byte *>(static_cast<void *>(lines.data()));
    std::byte *const taken = reinterpret_cast<std::byte *>(static_cast<void *>(sorted));
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (qsizetype k = 0; k < entryCount; ++k) {
        if (k + Ahead < entryCount)
            prefetch(texts + sorted[k + Ahead].line * Size);
        const quint32 line = sorted[k].line;
        std::memcpy(taken + k * sizeof(Entry), texts + line * Size, Size);
        yield();
    }

    auto wall = walls.begin();
    qsizetype next = 0;
    DeferredYield moving(progress, YieldPacer::SortItems);
    for (qsizetype k = 0; k < count; ++k) {
        moving();
        if (wall != walls.end() && *wall == k) {
            ++wall;
            continue;
        }
        std::memcpy(texts + k * Size, taken + next * sizeof(Entry), Size);
        ++next;
    }
    moving.finish();
}

// Sorts the entries stably by their keys, each segment on its own, and hands
// use() the sorted entries. Pass 1 has begun.
template <typename Texts, typename Use>
void sortEntriesThen(WorkArray<Entry> &entries, const std::vector<qsizetype> &segmentEnds,
                     const Texts &texts, Progress *progress, Use use)
{
    sortByHeads(entries, segmentEnds, progress);
    if constexpr (!Texts::HeadsAreWhole)
        refineTies(entries.data(), segmentEnds, texts, progress);
    use(entries.data());
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
    sortEntriesThen(entries, segmentEnds, texts, progress, [&](Entry *sorted) {
        if (descending)
            reverseInSteps(sorted, count, progress);
        applyOrder(lines, sorted, walls, progress);
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

// Sets entries[i] to entryOf(lines[i], i) for every line, each half of the
// lines on its own thread. Gives false, with the entries unfinished, once
// entryOf gives none for a line.
template <typename Line, typename EntryOf>
bool entriesInHalves(const LineList<Line> &lines, WorkArray<Entry> &entries, Progress *progress,
                     EntryOf entryOf)
{
    std::atomic<bool> given = true;
    inTwoHalves(lines.size(), progress, [&](int half, Progress *mayYield) {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        const qsizetype middle = lines.size() / 2;
        const qsizetype to = half == 0 ? middle : lines.size();
        for (qsizetype i = half == 0 ? 0 : middle; i < to && given; ++i) {
            const std::optional<Entry> entry = entryOf(lines[i], i);
            if (!entry) {
                given = false;
                return;
            }
            entries[i] = *entry;
            yield();
        }
    });
    return given;
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
