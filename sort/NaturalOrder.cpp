#include "sort/NaturalOrder.h"

#include "sort/StoredKeys.h"

namespace SortEngine {

template <typename Line> SortOutcome sortNaturally(LineList<Line> &lines, Progress *progress)
{
    return sortByStoredKey<NaturalKey<typename LineText<Line>::Unit>>(lines, progress);
}

template SortOutcome sortNaturally(LineRefs &, Progress *);
template SortOutcome sortNaturally(UnitLines &, Progress *);

} // namespace SortEngine
