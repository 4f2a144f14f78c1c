#pragma once

#include "core/Progress.h"
#include "sort/LineRefs.h"
#include "sort/LineText.h"

#include <QString>

// The keys that are the line from some place on, compared by code unit: the
// whole line, the line from a character (1-based), from the space before a
// word (1 is the whole line; lines with fewer words stay in place) or from
// the first occurrence of a marker (lines without it, and every line when it
// is empty, by the whole line). For lines of either layout (see LineText.h);
// on UTF-8 lines each gives NeedsUnits when a line holds a lone surrogate or
// a key starts inside a character above U+FFFF (or the marker holds a
// surrogate).
namespace SortEngine {

enum class WholeLines {
    Ascending,
    Descending,              // largest first, equal lines in input order
    RemovingDuplicates,      // ascending, the first of each run of identical lines kept
    RemovingLaterDuplicates, // the first of every distinct line kept, in input order
};

template <typename Line>
SortOutcome sortWholeLines(LineList<Line> &lines, WholeLines how, Progress *progress);

// A position or word number below 1 fails with "Invalid procedure call or
// argument" once two lines would be compared.
template <typename Line>
SortOutcome sortFromCharacter(LineList<Line> &lines, qint32 position, Progress *progress);
template <typename Line>
SortOutcome sortFromWord(LineList<Line> &lines, qint32 word, Progress *progress);

template <typename Line>
SortOutcome sortAfterMarker(LineList<Line> &lines, const QString &marker, Progress *progress);

} // namespace SortEngine
