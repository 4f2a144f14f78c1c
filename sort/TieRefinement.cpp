#include "sort/TieRefinement.h"

#include "core/Yielding.h"
#include "sort/MergeSorter.h"
#include "sort/Utf8Keys.h"
#include "sort/WorkArray.h"

#include <algorithm>
#include <memory>

namespace SortEngine {

namespace {

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

} // namespace

template <typename Texts>
void refineTies(Entry *entries, const std::vector<qsizetype> &segmentEnds, const Texts &texts,
                Progress *progress)
{
    YieldPacer yield(progress, YieldPacer::SortItems);
    std::vector<Group> groups;
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
                groups.push_back(Group{i, j, 0});
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
        const Group at = groups.back();
        groups.pop_back();
        const qsizetype size = at.end - at.begin;
        const qsizetype from = at.depth * Texts::PerLevel;
        std::unique_ptr<WorkArray<Entry>> largeKeys;
        Entry *keys = nullptr;
        if (size >= LargeGroup) {
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
                groups.push_back(Group{at.begin + k, at.begin + m, at.depth + 1});
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

template void refineTies<LineSuffixes>(Entry *, const std::vector<qsizetype> &,
                                       const LineSuffixes &, Progress *);
template void refineTies<FilteredTails>(Entry *, const std::vector<qsizetype> &,
                                        const FilteredTails &, Progress *);
template void refineTies<ByteSuffixes>(Entry *, const std::vector<qsizetype> &,
                                       const ByteSuffixes &, Progress *);
template void refineTies<StoredKeys>(Entry *, const std::vector<qsizetype> &, const StoredKeys &,
                                     Progress *);

template void refineTies<PointedKeys>(Entry *, const std::vector<qsizetype> &, const PointedKeys &,
                                      Progress *);
template void refineTies<FoldedBytes>(Entry *, const std::vector<qsizetype> &, const FoldedBytes &,
                                      Progress *);
template void refineTies<FilteredByteTails>(Entry *, const std::vector<qsizetype> &,
                                            const FilteredByteTails &, Progress *);
template void refineTies<StoredByteKeys>(Entry *, const std::vector<qsizetype> &,
                                         const StoredByteKeys &, Progress *);

} // namespace SortEngine
