#include "sort/FilteredKeys.h"

#include "core/Yielding.h"
#include "sort/EntrySort.h"
#include "sort/TwoThreads.h"

#include <algorithm>
#include <atomic>

// Every line's key is filtered once: its first units kept go into its
// entry's head, the rest into one buffer (each half of the lines from its
// own start on), which the tie refinement reads.

namespace SortEngine {

namespace {

// The entry's offset holds the key's size, and what follows the units of its
// head is stored at tails[starts[line]].
template <typename Line> struct FilteredTails
{
    using Text = LineText<Line>;
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = Text::HeadUnits;
    const typename Text::Unit *tails;
    const qsizetype *starts;

    qsizetype size(const Entry &entry) const { return entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        key.head = Text::head(tails + starts[entry.line] + (from - PerLevel), left);
    }
};

// The entries of lines [from, to) keyed by filter, their tails packed into
// tails from at on. Gives false when a line needs the units and the filter
// keeps what makes it so.
template <CharacterFilter filter, typename Line>
bool filterKeys(const Line *texts, qsizetype from, qsizetype to, qsizetype at,
                WorkArray<Entry> &entries, WorkArray<typename LineText<Line>::Unit> &tails,
                WorkArray<qsizetype> &starts, Progress *mayYield)
{
    using Text = LineText<Line>;
    using Unit = typename Text::Unit;
    // Every byte of a character beyond ASCII is kept or dropped alike.
    constexpr bool keepsOthers = keepsCharacter(filter, 0x80);
    YieldPacer yield(mayYield, YieldPacer::SortItems);
    for (qsizetype i = from; i < to; ++i) {
        if (keepsOthers && Text::needsUnits(texts[i]))
            return false;
        const Unit *units = Text::units(texts[i]);
        const Unit *const end = units + texts[i].size();
        Unit head[Text::HeadUnits];
        qsizetype kept = 0;
        for (; units != end && kept < Text::HeadUnits; ++units) {
            head[kept] = *units;
            kept += keepsCharacter(filter, *units);
        }
        Unit *const tail = tails.data() + at;
        Unit *out = tail;
        for (; units != end; ++units) {
            *out = *units; // write always, advance when kept
            out += keepsCharacter(filter, *units);
        }
        // The entry's offset holds the key's size.
        entries[i] = entryOf<Line>(head, kept, i, kept + (out - tail));
        starts[i] = at;
        at += out - tail;
        yield();
    }
    return true;
}

} // namespace

template <typename Line>
SortOutcome sortByFilter(LineList<Line> &lines, CharacterFilter filter, Progress *progress)
{
    using Text = LineText<Line>;
    if (!beginSort(lines, progress))
        return SortOutcome::Sorted;
    const Line *texts = lines.constData();
    const qsizetype count = lines.size();
    const qsizetype middle = count / 2;
    // A key's tail fits in the units of its line beyond its head.
    const KeyRoom room = keyRoom(lines, progress, [](qsizetype size) {
        return std::max<qsizetype>(size - Text::HeadUnits, 0);
    });
    WorkArray<typename Text::Unit> tails(room.total);
    WorkArray<qsizetype> starts(count);
    WorkArray<Entry> entries(count);
    std::atomic<bool> keyed = true;
    inTwoHalves(count, progress, [&](int half, Progress *mayYield) {
        const qsizetype from = half == 0 ? 0 : middle;
        const qsizetype to = half == 0 ? middle : count;
        const qsizetype at = half == 0 ? 0 : room.secondHalfStart;
        // One loop per filter, so that the test of a unit is a constant one.
        bool done = true;
        switch (filter) {
        case CharacterFilter::KeepEverything:
            done = filterKeys<CharacterFilter::KeepEverything>(texts, from, to, at, entries, tails,
                                                               starts, mayYield);
            break;
        case CharacterFilter::KeepLettersAndDigits:
            done = filterKeys<CharacterFilter::KeepLettersAndDigits>(texts, from, to, at, entries,
                                                                     tails, starts, mayYield);
            break;
        case CharacterFilter::RemoveLetters:
            done = filterKeys<CharacterFilter::RemoveLetters>(texts, from, to, at, entries, tails,
                                                              starts, mayYield);
            break;
        case CharacterFilter::RemoveDigits:
            done = filterKeys<CharacterFilter::RemoveDigits>(texts, from, to, at, entries, tails,
                                                             starts, mayYield);
            break;
        case CharacterFilter::RemoveLettersAndDigits:
            done = filterKeys<CharacterFilter::RemoveLettersAndDigits>(texts, from, to, at, entries,
                                                                       tails, starts, mayYield);
            break;
        }
        if (!done)
            keyed = false;
    });
    if (!keyed)
        return SortOutcome::NeedsUnits;
    sortEntries(lines, entries, {}, FilteredTails<Line>{tails.data(), starts.data()}, progress);
    return SortOutcome::Sorted;
}

template SortOutcome sortByFilter(LineRefs &, CharacterFilter, Progress *);
template SortOutcome sortByFilter(UnitLines &, CharacterFilter, Progress *);

} // namespace SortEngine
