#pragma once

#include "core/Failure.h"
#include "core/Progress.h"
#include "core/Yielding.h"
#include "sort/EntrySort.h"
#include "sort/LineText.h"
#include "sort/TwoThreads.h"
#include "sort/WorkArray.h"

#include <atomic>
#include <type_traits>

// Keys that are built once per line, unit by unit, so that comparing two keys
// by unit (a key that ends first sorts first) gives the option's order: the
// merge passes and the tie refinement then sort them like any text key. An
// encoding writes its key (of KeyUnit: bytes or 16-bit units) through
// out.put(unit), says how long the key of a line of a given size can be at
// most, and whether it keeps what makes a UTF-8 line need the units
// (KeepsLoneSurrogates).
namespace SortEngine {

// Takes a key unit by unit.
template <typename Unit> struct KeyWriter
{
    Unit *at;

    void put(Unit unit) { *at++ = unit; }
};

// Counts of units in a line fit in 32 bits: a longer line fails with "Out of
// memory".
inline constexpr qsizetype LongestLine = qsizetype(1) << 32;

inline quint64 keyHead(const unsigned char *key, qsizetype size)
{
    return packPlainBytes(key, size);
}

inline quint64 keyHead(const char16_t *key, qsizetype size)
{
    return packHead(key, size);
}

// The keys, each stored whole at keys[starts[line]]; the entry's offset holds
// the key's size.
template <typename KeyUnit> struct StoredKeys
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = 8 / sizeof(KeyUnit);
    const KeyUnit *keys;
    const qsizetype *starts;

    qsizetype size(const Entry &entry) const { return entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        key.head = keyHead(keys + starts[entry.line] + from, left);
    }
};

// Keys every line by the key that Encoding builds from its units, packed in
// one buffer (each half of the lines from its own start on; see keyRoom).
template <typename Encoding, typename Line>
SortOutcome sortByStoredKey(LineList<Line> &lines, Progress *progress)
{
    using Text = LineText<Line>;
    using KeyUnit = typename Encoding::KeyUnit;
    if (!beginSort(lines, progress))
        return SortOutcome::Sorted;
    const Line *texts = lines.constData();
    const qsizetype count = lines.size();
    const qsizetype middle = count / 2;
    const KeyRoom room = keyRoom(lines, progress, [](qsizetype size) {
        if (size >= LongestLine)
            throw Failure::outOfMemory();
        return Encoding::maxSize(size);
    });
    WorkArray<KeyUnit> keys(room.total);
    WorkArray<qsizetype> starts(count);
    WorkArray<Entry> entries(count);
    std::atomic<bool> needsUnits = false;
    inTwoHalves(count, progress, [&](int half, Progress *mayYield) {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        KeyUnit *key = keys.data() + (half == 0 ? 0 : room.secondHalfStart);
        for (qsizetype i = half == 0 ? 0 : middle; i < (half == 0 ? middle : count); ++i) {
            if (Encoding::KeepsLoneSurrogates && Text::needsUnits(texts[i])) {
                needsUnits = true;
                return;
            }
            KeyWriter<KeyUnit> writer{key};
            Encoding::write(Text::units(texts[i]), texts[i].size(), writer);
            const qsizetype size = writer.at - key;
            Q_ASSERT(size <= Encoding::maxSize(texts[i].size()));
            if (size > MaxIndex)
                throw Failure::outOfMemory();
            starts[i] = key - keys.data();
            // The entry's offset holds the key's size.
            entries[i] = Entry{keyHead(key, size), quint32(i), quint32(size)};
            key = writer.at;
            yield();
        }
    });
    if (needsUnits)
        return SortOutcome::NeedsUnits;
    sortEntries(lines, entries, {}, StoredKeys<KeyUnit>{keys.data(), starts.data()}, progress);
    return SortOutcome::Sorted;
}

} // namespace SortEngine
