#pragma once

#include "core/Progress.h"
#include "sort/LineFilter.h"
#include "sort/LineRefs.h"

#include <QString>

// "Keep Lines Containing..." and "Remove Lines Containing...": the lines
// that hold a text (or match a pattern) are kept, or dropped, and the others
// keep their order.
//
// A text is found as the find bar finds it (see RowMatcher): unit for unit,
// or, without the case counting, after the simple case folding that "Sort
// Content Alphabetically, Ignoring Case" uses. An empty text is in every
// line. A pattern is read as the keys' patterns are (BoundedPattern:
// PCRE2 on UTF-16, a line holding a lone surrogate matches nothing); without
// the case counting it matches caselessly, as PCRE2 does, with the pattern
// left as it is. A match that gives up counts as no match.

// Why the filter cannot be used: a pattern that does not compile (PCRE2's
// reason and the character where it stopped); empty when it can.
QString filterProblem(const LineFilter &filter);

// Whether the lines that hold the filter stay (Keep) or go (Remove).
enum class FilterMode { Keep, Remove };

// Keeps the lines that hold the filter, or those that do not, in their order,
// in one pass ("Sorting: 1"), each half of the lines on a thread of its own;
// *linesGaveUp, when given, counts the lines a pattern gave up on. A filter
// with a problem fails with "Invalid procedure call or argument" before any
// line is looked at. A window closed meanwhile stops it with every line in
// place, unless the dropping had begun: it then ends first.
LineRefs &filterLines(LineRefs &lines, const LineFilter &filter, FilterMode mode,
                      Progress *progress, qsizetype *linesGaveUp = nullptr);
