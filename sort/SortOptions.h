#pragma once

#include "sort/CharacterFilters.h"
#include "sort/SortRoutines.h"

#include <QString>

#include <array>

// The sort option list: one row per option, saying how its key is found and
// what it asks the user for. The window lists the captions, Start Sorting asks
// the prompts and sortLines() sorts by the row.

// How an option finds each line's key. Text keys compare ordinally by UTF-16
// code unit, case-sensitively.
enum class SortKey {
    None,          // a "-" separator: sorts nothing
    WholeLine,     // the line itself
    FromCharacter, // the text from character `position` (1-based) on; empty beyond the end
    FromWord,      // the text from the space before word `position` on; 1 is the whole
                   // line, and lines with fewer words stay in place
    AfterMarker,   // the text from the first occurrence of the answer on; lines without
                   // it, and every line when the answer is empty, by the whole line
    Filtered,      // the code units that `filter` keeps
    Length,        // the number of UTF-16 code units
};

// What an option asks the user for before it sorts.
enum class SortAnswer {
    None,
    Number, // the character position or word number
    Text,   // the marker characters
};

struct SortOption
{
    QString caption;
    SortKey key = SortKey::None;
    int position = 0; // character position or word number when fixed; 0 when asked or unused
    CharacterFilter filter = CharacterFilter::KeepEverything;
    SortAnswer asks = SortAnswer::None;
    QString prompt; // empty when asks is None

    bool isSeparator() const { return key == SortKey::None; }
};

// The 17 rows of the sort option list, separators included, in their order.
const std::array<SortOption, 17> &sortOptions();
