#pragma once

#include "core/Progress.h"
#include "sort/LineRefs.h"

#include <QString>

struct SortOption;

// A line as UTF-16 code units. Every option's order is defined on units:
// character positions, lengths, words and markers count units, and texts
// compare unit by unit. The UTF-8 lines that their bytes cannot order as
// their units would are sorted as units, by the same keys.
struct UnitLine
{
    const char16_t *units;
    quint32 length;
    quint32 id;

    qsizetype size() const { return length; }
};

using UnitLines = LineList<UnitLine>;

// sortLines() on lines of units, for the options whose keys the units have
// (every option that sorts by a key of its own, removes duplicates, reverses
// or shuffles); the others leave the lines as they are.
UnitLines &sortUnitLines(UnitLines &lines, const SortOption &option, qint32 number,
                         const QString &text, Progress *progress);
