#pragma once

#include "core/Progress.h"
#include "sort/SortEntries.h"
#include "sort/WorkArray.h"

#include <vector>

namespace SortEngine {

// Sorts entries by their heads, each segment (the entries between two lines
// that stay in place) on its own, with the result of a stable sort: equal
// heads keep the order they came in. It asks that each segment's entries
// come in line order, or in reverse line order (a descending sort reads them
// backwards), which is how every sort makes them; equal heads are then put in
// that order by their lines.
//
// Large arrays go by their heads' bytes, most significant first, in place:
// pass 1 splits the entries by the first byte in which they differ, and each
// further pass splits every part that still holds differing heads by its next
// byte, the parts shared between two threads. Parts of fewer than 1,024 entries
// are finished within the pass that makes them. Sorted input takes one pass.
// Small arrays go to the merge passes. Pass 1 has begun.
void sortByHeads(WorkArray<Entry> &entries, const std::vector<qsizetype> &segmentEnds,
                 Progress *progress);

} // namespace SortEngine
