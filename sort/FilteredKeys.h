#pragma once

#include "core/Progress.h"
#include "sort/CharacterFilters.h"
#include "sort/LineRefs.h"
#include "sort/LineText.h"

// The keys of "Sort Content By Only Alpha Characters, Ignore Rest" and its
// neighbours: the code units of the line that the filter keeps, compared by
// code unit. For lines of either layout (see LineText.h); on UTF-8 lines it
// gives NeedsUnits when a line holds a lone surrogate that the filter keeps.
namespace SortEngine {

template <typename Line>
SortOutcome sortByFilter(LineList<Line> &lines, CharacterFilter filter, Progress *progress);

} // namespace SortEngine
