#pragma once

#include "core/Progress.h"
#include "sort/LineRefs.h"

#include <QByteArray>

// "Keep Only Duplicated Lines", "Keep Only Lines That Occur Once" and "Count
// Duplicate Lines". Two lines are the same when their texts are the same unit
// for unit (their bytes are). Each finds every line's first occurrence by
// hashing the lines' bytes, in one pass ("Sorting: 1"), and fails with "Out of
// memory" for more lines than a line index counts. A window closed meanwhile
// stops it with every line in place, unless the dropping had begun: it then
// ends first.

// Keeps the first occurrence of every line that occurs more than once, where
// it stood.
LineRefs &keepDuplicatedLines(LineRefs &lines, Progress *progress);

// Keeps the lines that occur exactly once, in their order.
LineRefs &keepLinesOccurringOnce(LineRefs &lines, Progress *progress);

// Replaces the lines by every distinct line once, written as its count, a TAB
// and the line: the most frequent first, lines of equal count in the order
// they first came. The texts are made into made (each line copied once), and
// each counted line points into it with the id of the line it counts (its
// first occurrence). A stop leaves the lines, and made, as they were, unless
// the lines had begun to change: that then ends first.
LineRefs &countDuplicateLines(LineRefs &lines, QByteArray &made, Progress *progress);
