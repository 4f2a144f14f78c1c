#pragma once

#include "core/Progress.h"
#include "sort/SortKeys.h"

#include <QtGlobal>

#include <vector>

namespace SortEngine {

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
// says where each segment ends. Made for LineSuffixes, ByteSuffixes,
// FilteredTails, StoredKeys and PointedKeys, and the keys of Utf8Keys.h.
template <typename Texts>
void refineTies(Entry *entries, const std::vector<qsizetype> &segmentEnds, const Texts &texts,
                Progress *progress);

extern template void refineTies<LineSuffixes>(Entry *, const std::vector<qsizetype> &,
                                              const LineSuffixes &, Progress *);
extern template void refineTies<FilteredTails>(Entry *, const std::vector<qsizetype> &,
                                               const FilteredTails &, Progress *);
extern template void refineTies<ByteSuffixes>(Entry *, const std::vector<qsizetype> &,
                                              const ByteSuffixes &, Progress *);
extern template void refineTies<StoredKeys>(Entry *, const std::vector<qsizetype> &,
                                            const StoredKeys &, Progress *);

} // namespace SortEngine
