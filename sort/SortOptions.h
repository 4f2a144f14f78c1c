#pragma once

#include "sort/CharacterFilters.h"

#include <QString>

#include <array>

// The sort option list: one row per option, saying what it does with the
// lines, how its key is found and what it asks the user for. The window lists
// the captions, Start Sorting asks the prompts, sortLines() sorts by the row
// and the command line finds it by its short name.

// How an option finds each line's key. Text keys compare ordinally by UTF-16
// code unit, case-sensitively, smallest first unless said otherwise.
enum class OptionKey {
    None,                // no key: a "-" separator, or an option that sorts nothing
    WholeLine,           // the line itself
    WholeLineDescending, // the line itself, largest first
    FromCharacter,       // the text from character `position` (1-based) on; empty beyond the end
    FromWord,            // the text from the space before word `position` on; 1 is the whole
                         // line, and lines with fewer words stay in place
    AfterMarker,         // the text from the first occurrence of the answer on; lines without
                         // it, and every line when the answer is empty, by the whole line
    Filtered,            // the code units that `filter` keeps
    Length,              // the number of UTF-16 code units
    FoldedCase,          // the line after simple case folding, as QChar::toCaseFolded folds each
                         // character ("ß" stays "ß"); a lone surrogate stays as it is
    Natural,             // the line in runs: digit runs (ASCII 0-9) by value, the runs between by
                         // code unit; then fewer runs first; then shorter written digit runs first
    Dictionary,          // ICU collation for the user's language (see sortInDictionaryOrder)
    ChosenKeys,          // the keys the user composes (see sortByKeys); the whole line as
                         // text when none are given
    LeadingNumber,       // the number after leading spaces and tabs: a sign, digits, a dot and
                         // digits, either side of the dot perhaps empty but not both; compared
                         // exactly, "-0" equal to "0"; lines without one after every number
};

// What an option does with the lines.
enum class LineOperation {
    None,                   // a "-" separator: nothing
    Sort,                   // sorts stably by the key: equal keys keep their input order
    SortRemovingDuplicates, // sorts by the whole line, then keeps the first of each run of
                            // identical lines
    RemoveDuplicates,       // keeps the first occurrence of every distinct line (exact match),
                            // in input order
    Reverse,                // last line first
    Shuffle,                // a uniformly random order, another on every run
    KeepContaining,         // keeps the lines that hold the answer (see LineFilter), in order
    RemoveContaining,       // keeps the lines that do not hold it, in order
    KeepDuplicated,         // keeps the first of every line that occurs more than once, where
                            // it stood
    KeepOccurringOnce,      // keeps the lines that occur exactly once, in order
    CountDuplicates,        // every distinct line once as "count TAB line", the most frequent
                            // first, equal counts in the order the lines first came
};

// What an option asks the user for before it sorts.
enum class SortAnswer {
    None,
    Number, // the character position or word number
    Text,   // the marker characters
    Keys,   // the keys, from the "Sort Keys" dialog
    Filter, // what the lines are to contain, from the line filter dialog
};

struct SortOption
{
    QString caption;
    OptionKey key = OptionKey::None;
    int position = 0; // character position or word number when fixed; 0 when asked or unused
    CharacterFilter filter = CharacterFilter::KeepEverything;
    SortAnswer asks = SortAnswer::None;
    QString prompt; // empty when asks is None
    LineOperation operation = LineOperation::Sort;
    // What `tarnveil --sort` takes for the row ("from-word"); empty for a
    // separator. Scripts rely on these: a name, once given, stays.
    QString name = QString();

    bool isSeparator() const { return operation == LineOperation::None; }
};

// The rows of the sort option list, separators included, in their order.
const std::array<SortOption, 35> &sortOptions();
