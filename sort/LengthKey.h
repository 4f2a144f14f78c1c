#pragma once

#include "core/Progress.h"
#include "sort/EntrySort.h"
#include "sort/LineText.h"

#include <optional>

// "Sort Content By Character Length": the number of UTF-16 code units, whole
// in each entry's head. UTF-8 lines count their units exactly.
namespace SortEngine {

template <typename Line> void sortByLength(LineList<Line> &lines, Progress *progress)
{
    if (!beginSort(lines, progress))
        return;
    WorkArray<Entry> entries(lines.size());
    entriesInHalves(lines, entries, progress, [](const Line &line, qsizetype i) {
        return std::optional(Entry{quint64(LineText<Line>::unitCount(line)), quint32(i), 0});
    });
    sortEntries(lines, entries, {}, NoTexts{}, progress);
}

} // namespace SortEngine
