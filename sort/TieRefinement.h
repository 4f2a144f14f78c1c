#pragma once

#include "core/Progress.h"
#include "core/Yielding.h"
#include "sort/MergeSorter.h"
#include "sort/SortEntries.h"
#include "sort/WorkArray.h"

#include <QtGlobal>

#include <algorithm>
#include <memory>
#include <vector>

namespace SortEngine {

namespace TieLevels {

// Groups of tied keys at least this large are ordered by the merge passes
// (on two threads, yielding as they go) rather than in one call.
constexpr qsizetype LargeGroup = 1 << 15;

// A group of entries [begin, end) still to order by their units from
// depth * PerLevel on; the units before tie.
struct Group
{
    qsizetype begin;
    qsizetype end;
    qsizetype depth;
};

} // namespace TieLevels

// Orders each group of entries whose heads tie by the rest of their keys,
// a level at a time: the group is keyed again by the next units a head
// holds (four units, or eight bytes of UTF-8) and the number of units left
// (at most one more than that, meaning "more than fit"), sorted
// stably, and every smaller group that still ties with units left goes one
// level deeper. A level reads each key once, where comparing texts would read
// two keys at every comparison, far apart in memory. The number of units left
// settles what zero padding cannot: a key that ends sorts before one that
// goes on, even with U+0000.
//
// entries holds every segment's entries, sorted by their heads; segmentEnds
// says where each segment ends; texts is where the keys' units beyond their
// heads are (see SortEntries.h).
template <typename Texts>
void refineTies(Entry *entries, const std::vector<qsizetype> &segmentEnds, const Texts &texts,
                Progress *progress)
{
    YieldPacer yield(progress, YieldPacer::SortItems);
    std::vector<TieLevels::Group> groups;
    qsizetype entryCount = 0;
    if (!segmentEnds.empty())
        entryCount = segmentEnds.back();
    groups.reserve(std::size_t(entryCount / 2 + 1)); // touched only as used
    qsizetype begin = 0;
    for (const qsizetype end : segmentEnds) {
        for (qsizetype i = begin; i < end;) {
            qsizetype j = i + 1;
            while (j < end && entries[j].head == entries[i].head)
                ++j;
            if (j - i > 1)
                groups.push_back(TieLevels::Group{i, j, 0});
            yield(j - i);
            i = j;
        }
        begin = end;
    }

    // A group's keys: the next units in the heads, the number of units left
    // in the offset, the place in the group in the line index.
    std::vector<Entry> smallKeys;
    const RefinedLess less;
    while (!groups.empty()) {
        const TieLevels::Group at = groups.back();
        groups.pop_back();
        const qsizetype size = at.end - at.begin;
        const qsizetype from = at.depth * Texts::PerLevel;
        std::unique_ptr<WorkArray<Entry>> largeKeys;
        Entry *keys = nullptr;
        if (size >= TieLevels::LargeGroup) {
            largeKeys = std::make_unique<WorkArray<Entry>>(size);
            keys = largeKeys->data();
        } else {
            smallKeys.resize(std::size_t(size));
            keys = smallKeys.data();
        }
        for (qsizetype i = at.begin; i < at.end; ++i) {
            const Entry &entry = entries[i];
            const qsizetype left = texts.size(entry) - from;
            Entry key{entry.head, quint32(i - at.begin),
                      quint32(std::min<qsizetype>(left, Texts::PerLevel + 1))};
            if (at.depth > 0) // at depth 0 the heads are the units already
                texts.packHeads(key, entry, from, left);
            keys[i - at.begin] = key;
            yield();
        }
        const std::vector<qsizetype> oneSegment{size};
        if (largeKeys)
            MergeSorter<RefinedLess>(*largeKeys, oneSegment, less).sort(progress, false);
        else
            std::stable_sort(keys, keys + size, less);
        for (qsizetype k = 0; k < size;) {
            qsizetype m = k + 1;
            while (m < size && !less(keys[k], keys[m]))
                ++m;
            if (m - k > 1 && keys[k].offset > Texts::PerLevel)
                groups.push_back(TieLevels::Group{at.begin + k, at.begin + m, at.depth + 1});
            k = m;
        }
        // Each key takes the entry it stands for, then the entries take the
        // keys' order.
        for (qsizetype k = 0; k < size; ++k) {
            keys[k] = entries[at.begin + keys[k].line];
            yield();
        }
        for (qsizetype k = 0; k < size; ++k) {
            entries[at.begin + k] = keys[k];
            yield();
        }
    }
}

} // namespace SortEngine
