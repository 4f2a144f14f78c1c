#pragma once

#include "sort/SortRoutines.h"

#include <QString>

struct SortOption;

// A line as UTF-16 code units. Every option's order is defined on units:
// character positions, lengths, words and markers count units, and texts
// compare unit by unit. Lines that the UTF-8 keys cannot order exactly are
// sorted as units.
struct UnitLine
{
    const char16_t *units;
    quint32 length;
    quint32 id;

    qsizetype size() const { return length; }
};

using UnitLines = LineList<UnitLine>;

// sortLines() on lines of units.
UnitLines &sortUnitLines(UnitLines &lines, const SortOption &option, qint32 number,
                         const QString &text, Progress *progress);
