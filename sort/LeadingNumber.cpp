#include "sort/LeadingNumber.h"

#include "sort/StoredKeys.h"

namespace SortEngine {

template <typename Line> void sortByLeadingNumber(LineList<Line> &lines, Progress *progress)
{
    sortByStoredKey<LeadingNumberKey>(lines, progress);
}

template void sortByLeadingNumber(LineRefs &, Progress *);
template void sortByLeadingNumber(UnitLines &, Progress *);

} // namespace SortEngine
