#pragma once

#include "core/Yielding.h"
#include "sort/LineRefs.h"

#include <string_view>

// Finding a text's bytes in many lines at once, as a line-oriented search
// tool would: sixteen places at a time, by the text's first and last byte.
namespace SortEngine {

// The first place in [from, end) where needle starts; end when it starts
// nowhere. An empty needle starts at from.
const char *findBytes(const char *from, const char *end, std::string_view needle);

// Sets holds[i] for every line i of [from, to): whether it holds needle (an
// empty one is in every line).
// Lines that follow each other in memory with at most two bytes between
// them (a line break) are searched as one stretch: no two blocks of text lie
// that close, each has its own allocation's header in front. Passes the lines
// done to yield after each stretch, which is kept short.
void findInLines(const LineRef *lines, qsizetype from, qsizetype to, std::string_view needle,
                 bool *holds, YieldPacer &yield);

} // namespace SortEngine
