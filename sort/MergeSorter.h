#pragma once

#include "core/Progress.h"
#include "sort/SortEntries.h"
#include "sort/WorkArray.h"

#include <QString>

#include <vector>

namespace SortEngine {

// Every pass starts with a yield, then shows "Sorting: " and its number.
inline void beginPass(Progress *progress, int pass)
{
    if (!progress)
        return;
    progress->yield();
    progress->setText(QStringLiteral("Sorting: ") + QString::number(pass));
}

// Sorts entries stably by Less, each segment (the entries between two lines
// that stay in place) on its own: pass 1 cuts the segments into sorted runs,
// and every further pass merges neighbouring runs of a segment pairwise until
// one run is left (sorted input takes one pass). The merges work in place,
// with room aside for half the entries. Large arrays share the work between
// two threads. Made for HeadLess and RefinedLess.
template <typename Less> class MergeSorter final
{
public:
    // segmentEnds: where each segment's entries end, ascending; the last is
    // the number of entries.
    MergeSorter(WorkArray<Entry> &entries, const std::vector<qsizetype> &segmentEnds, Less less)
        : m_entries(entries), m_segmentEnds(segmentEnds), m_less(less)
    {
    }

    // Sorts every segment in the entries; pass 1 has begun. With showPasses
    // false the merge rounds only yield, they begin no pass of their own.
    void sort(Progress *progress, bool showPasses = true);

private:
    WorkArray<Entry> &m_entries;
    const std::vector<qsizetype> &m_segmentEnds;
    Less m_less;
};

extern template class MergeSorter<HeadLess>;
extern template class MergeSorter<RefinedLess>;

} // namespace SortEngine
