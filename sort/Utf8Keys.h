#pragma once

#include "core/Progress.h"
#include "sort/CharacterFilters.h"
#include "sort/SortKeys.h"
#include "sort/SortRoutines.h"
#include "sort/TwoThreads.h"
#include "sort/WorkArray.h"

#include <atomic>
#include <optional>

// The keys built from the line (filtered, folded case, natural, leading
// number), found on its UTF-8 bytes in the order its units would give.
namespace SortEngine {

// Sets entries[i] to entryOf(lines[i], i) for every line, each half of the
// lines on its own thread. Gives false, with the entries unfinished, once
// entryOf gives none for a line.
template <typename EntryOf>
bool entriesInHalves(const LineRefs &lines, WorkArray<Entry> &entries, Progress *progress,
                     EntryOf entryOf)
{
    std::atomic<bool> given = true;
    inTwoHalves(lines.size(), progress, [&](int half, Progress *mayYield) {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        const qsizetype middle = lines.size() / 2;
        const qsizetype to = half == 0 ? middle : lines.size();
        for (qsizetype i = half == 0 ? 0 : middle; i < to && given; ++i) {
            const std::optional<Entry> entry = entryOf(lines[i], i);
            if (!entry) {
                given = false;
                return;
            }
            entries[i] = *entry;
            yield();
        }
    });
    return given;
}

// Whether the line holds a lone surrogate (ED A0..BF), which UTF-8 cannot
// order as units do next to a character above U+FFFF.
bool holdsLoneSurrogate(const LineRef &line);

// The head of bytes [from, from + left) of the line after simple case
// folding, for a line where folding keeps every character's UTF-8 length.
quint64 foldedHead(const LineRef &line, qsizetype from, qsizetype left);

// The folded lines, folded as they are compared.
struct FoldedBytes
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = 8;
    const LineRef *lines;

    qsizetype size(const Entry &entry) const { return lines[entry.line].size(); }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        key.head = foldedHead(lines[entry.line], from, left);
    }
};

// Filtered keys of bytes: the entry's offset holds the key's size, and what
// follows its first eight bytes is stored at tails[starts[line]].
struct FilteredByteTails
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = 8;
    const char *tails;
    const qsizetype *starts;

    qsizetype size(const Entry &entry) const { return entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        key.head = packBytes(tails + starts[entry.line] + (from - 8), left);
    }
};

// Keys of bytes in unit order, stored whole at keys[starts[line]]; the
// entry's offset holds the key's size.
struct StoredByteKeys
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = 8;
    const unsigned char *keys;
    const qsizetype *starts;

    qsizetype size(const Entry &entry) const { return entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        key.head = packPlainBytes(keys + starts[entry.line] + from, left);
    }
};

// Each sorts stably by its key and gives true, or gives false, with the lines
// as they came and pass 1 begun, when the bytes cannot give the units' order:
// a line holds a lone surrogate that the key keeps, or (folded case) a
// character whose folded form is longer or shorter in UTF-8.
bool sortByFilterOnBytes(LineRefs &lines, CharacterFilter filter, Progress *progress);
bool sortByFoldedCaseOnBytes(LineRefs &lines, Progress *progress);
bool sortNaturallyOnBytes(LineRefs &lines, Progress *progress);
// The number is ASCII: the bytes always give the units' order.
void sortByLeadingNumberOnBytes(LineRefs &lines, Progress *progress);

} // namespace SortEngine
