#include "sort/SortRoutines.h"

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "core/Yielding.h"
#include "sort/CharacterFilters.h"
#include "sort/EncodedKeys.h"
#include "sort/EntrySort.h"
#include "sort/LineOperations.h"
#include "sort/MergeSorter.h"
#include "sort/SortKeys.h"
#include "sort/SortOptions.h"
#include "sort/TieRefinement.h"
#include "sort/TwoThreads.h"
#include "sort/UnitLines.h"
#include "sort/WorkArray.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <memory>
#include <string_view>
#include <vector>

using namespace SortEngine;

// The sorting options order the lines stable by a key. The order is the one
// that repeated passes of neighbour exchanges would reach (only a strictly
// greater key moves), but it is reached by merging: each key is derived once;
// pass 1 cuts the keys into sorted runs, and every pass merges neighbouring
// runs pairwise until one run is left (sorted input takes one pass). The
// status shows each pass as it starts. The word keys leave lines without
// enough spaces in place; such a line is a wall that no line passes, so the
// lines between two walls are merged among themselves only. Removing
// duplicates finds them by sorting; reversing and shuffling make one pass.

namespace {

// Sorting by a position below 1 is an invalid call, reported once two lines
// would be compared.
UnitLines &failInvalidArgument(UnitLines &lines, Progress *progress)
{
    beginPass(progress, 1);
    if (lines.size() >= 2)
        throw Failure::invalidArgument();
    return lines;
}

// The entries of every line keyed by its text from 0-based offset
// keyStart(text) on. Pass 1 has begun.
template <typename KeyStart>
void suffixKeys(const UnitLines &lines, WorkArray<Entry> &entries, Progress *progress,
                KeyStart keyStart)
{
    const UnitLine *texts = lines.constData();
    inTwoHalves(lines.size(), progress, [&](int half, Progress *mayYield) {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        const qsizetype middle = lines.size() / 2;
        const qsizetype to = half == 0 ? middle : lines.size();
        for (qsizetype i = half == 0 ? 0 : middle; i < to; ++i) {
            const char16_t *units = unitsOf(texts[i]);
            const qsizetype size = texts[i].size();
            const qsizetype at = keyStart(units, size);
            entries[i] = textEntry(units + at, size - at, i, at);
            yield();
        }
    });
}

// The whole line as the key.
qsizetype lineStart(const char16_t *, qsizetype)
{
    return 0;
}

// Keys every line by its text from 0-based offset keyStart(text) on.
template <typename KeyStart>
UnitLines &sortBySuffix(UnitLines &lines, Progress *progress, KeyStart keyStart,
                        Direction direction = Direction::Ascending)
{
    if (!beginSort(lines, progress))
        return lines;
    WorkArray<Entry> entries(lines.size());
    suffixKeys(lines, entries, progress, keyStart);
    sortEntries(lines, entries, {}, LineSuffixes{lines.constData()}, progress, direction);
    return lines;
}

UnitLines &sortFromCharacter(UnitLines &lines, qsizetype start, Progress *progress)
{
    if (start < 1)
        return failInvalidArgument(lines, progress);
    return sortBySuffix(lines, progress, [start](const char16_t *, qsizetype size) {
        return std::min(start - 1, size);
    });
}

// Position (0-based) of the spaces-th space of text, or -1 when it has fewer.
inline qsizetype nthSpace(const char16_t *text, qsizetype size, qsizetype spaces)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] == u' ' && --spaces == 0)
            return i;
    }
    return -1;
}

// Keys every line by its text from its skip-th space on (skip >= 1), that
// space included; lines with fewer spaces are walls.
UnitLines &sortFromWord(UnitLines &lines, qsizetype skip, Progress *progress)
{
    if (!beginSort(lines, progress))
        return lines;
    WorkArray<Entry> entries(lines.size());
    qsizetype count = 0;
    std::vector<qsizetype> walls;
    // Room for the most there can be: growing would copy the list at once
    // into fresh memory, which is slow to touch; reserved room that is never
    // used is never touched.
    walls.reserve(std::size_t(lines.size()));
    const UnitLine *texts = lines.constData();
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const char16_t *units = unitsOf(texts[i]);
        const qsizetype size = texts[i].size();
        const qsizetype at = nthSpace(units, size, skip);
        if (at < 0)
            walls.push_back(i);
        else
            entries[count++] = textEntry(units + at, size - at, i, at);
        yield();
    }
    entries.shrink(count);
    sortEntries(lines, entries, walls, LineSuffixes{texts}, progress);
    return lines;
}

// The entries of lines [from, to) keyed by filter, their tails packed into
// tails from at on.
template <CharacterFilter filter>
void filterKeys(const UnitLine *texts, qsizetype from, qsizetype to, qsizetype at,
                WorkArray<Entry> &entries, WorkArray<char16_t> &tails, WorkArray<qsizetype> &starts,
                Progress *mayYield)
{
    YieldPacer yield(mayYield, YieldPacer::SortItems);
    for (qsizetype i = from; i < to; ++i) {
        const char16_t *units = unitsOf(texts[i]);
        const char16_t *const end = units + texts[i].size();
        char16_t head[4];
        qsizetype kept = 0;
        for (; units != end && kept < 4; ++units) {
            head[kept] = *units;
            kept += keepsCharacter(filter, *units);
        }
        char16_t *const tail = tails.data() + at;
        char16_t *out = tail;
        for (; units != end; ++units) {
            *out = *units; // write always, advance when kept
            out += keepsCharacter(filter, *units);
        }
        const qsizetype size = kept + (out - tail);
        // The entry's offset holds the key's size.
        entries[i] = textEntry(head, kept, i, size);
        starts[i] = at;
        at += out - tail;
        yield();
    }
}

UnitLines &sortByFilter(UnitLines &lines, CharacterFilter filter, Progress *progress)
{
    if (!beginSort(lines, progress))
        return lines;
    const UnitLine *texts = lines.constData();
    const qsizetype count = lines.size();
    const qsizetype middle = count / 2;
    // A key's tail fits in the units of its line beyond the fourth.
    const KeyRoom room =
        keyRoom(lines, progress, [](qsizetype size) { return std::max<qsizetype>(size - 4, 0); });
    WorkArray<char16_t> tails(room.total);
    WorkArray<qsizetype> starts(count);
    WorkArray<Entry> entries(count);
    inTwoHalves(count, progress, [&](int half, Progress *mayYield) {
        const qsizetype from = half == 0 ? 0 : middle;
        const qsizetype to = half == 0 ? middle : count;
        const qsizetype at = half == 0 ? 0 : room.secondHalfStart;
        // One loop per filter, so that the test of a unit is a constant one.
        switch (filter) {
        case CharacterFilter::KeepEverything:
            return filterKeys<CharacterFilter::KeepEverything>(texts, from, to, at, entries, tails,
                                                               starts, mayYield);
        case CharacterFilter::KeepLettersAndDigits:
            return filterKeys<CharacterFilter::KeepLettersAndDigits>(texts, from, to, at, entries,
                                                                     tails, starts, mayYield);
        case CharacterFilter::RemoveLetters:
            return filterKeys<CharacterFilter::RemoveLetters>(texts, from, to, at, entries, tails,
                                                              starts, mayYield);
        case CharacterFilter::RemoveDigits:
            return filterKeys<CharacterFilter::RemoveDigits>(texts, from, to, at, entries, tails,
                                                             starts, mayYield);
        case CharacterFilter::RemoveLettersAndDigits:
            return filterKeys<CharacterFilter::RemoveLettersAndDigits>(texts, from, to, at, entries,
                                                                       tails, starts, mayYield);
        }
    });
    sortEntries(lines, entries, {}, FilteredTails{tails.data(), starts.data()}, progress);
    return lines;
}

// Keys every line by its text from word wordNumber on, the space before it
// included; lines with fewer words are walls.
UnitLines &sortFromWordNumber(UnitLines &lines, qint32 wordNumber, Progress *progress)
{
    if (wordNumber < 1)
        return failInvalidArgument(lines, progress);
    if (wordNumber == 1) // no space to skip: the whole line is the key
        return sortFromCharacter(lines, 1, progress);
    return sortFromWord(lines, qsizetype(wordNumber) - 1, progress);
}

// Keys every line by its text from the first occurrence of marker on, or by
// the whole line when it has none.
UnitLines &sortAfterMarker(UnitLines &lines, const QString &marker, Progress *progress)
{
    if (marker.isEmpty()) // found at character 1 of every line
        return sortFromCharacter(lines, 1, progress);
    const std::u16string_view wanted(unitsOf(marker), std::size_t(marker.size()));
    return sortBySuffix(lines, progress, [wanted](const char16_t *units, qsizetype size) {
        const std::size_t at = std::u16string_view(units, std::size_t(size)).find(wanted);
        return at == std::u16string_view::npos ? qsizetype(0) : qsizetype(at);
    });
}

// Keys every line by a key that Encoding builds from it (see EncodedKeys.h),
// packed in one buffer (see keyRoom).
template <typename Encoding> UnitLines &sortByEncodedKey(UnitLines &lines, Progress *progress)
{
    if (!beginSort(lines, progress))
        return lines;
    const UnitLine *texts = lines.constData();
    const qsizetype count = lines.size();
    const qsizetype middle = count / 2;
    const KeyRoom room = keyRoom(lines, progress, [](qsizetype size) {
        if (size >= LongestLine)
            throw Failure::outOfMemory();
        return Encoding::maxSize(size);
    });

    WorkArray<char16_t> keys(room.total);
    WorkArray<qsizetype> starts(count);
    WorkArray<Entry> entries(count);
    inTwoHalves(count, progress, [&](int half, Progress *mayYield) {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        char16_t *key = keys.data() + (half == 0 ? 0 : room.secondHalfStart);
        for (qsizetype i = half == 0 ? 0 : middle; i < (half == 0 ? middle : count); ++i) {
            KeyWriter<char16_t> writer{key};
            Encoding::write(unitsOf(texts[i]), texts[i].size(), writer);
            Q_ASSERT(writer.at - key <= Encoding::maxSize(texts[i].size()));
            // The entry's offset holds the key's size.
            starts[i] = key - keys.data();
            entries[i] = textEntry(key, writer.at - key, i, writer.at - key);
            key = writer.at;
            yield();
        }
    });
    sortEntries(lines, entries, {}, StoredKeys{keys.data(), starts.data()}, progress);
    return lines;
}

// Keeps the first of each run of identical lines of the sorted lines.
UnitLines &sortRemovingDuplicates(UnitLines &lines, Progress *progress)
{
    sortBySuffix(lines, progress, lineStart);
    dropRepeatedNeighbours(lines, progress);
    return lines;
}

// Keeps the first occurrence of every distinct line, in input order: a stable
// sort of the lines' entries (the lines stay where they are) puts identical
// lines next to each other, first occurrence first, and marks all but the
// first; then the marked lines go.
UnitLines &removeDuplicates(UnitLines &lines, Progress *progress)
{
    if (!beginSort(lines, progress))
        return lines;
    const qsizetype count = lines.size();
    const UnitLine *texts = lines.constData();
    WorkArray<Entry> entries(count);
    suffixKeys(lines, entries, progress, lineStart);
    WorkArray<bool> dropped(count);
    const std::vector<qsizetype> oneSegment{count};
    sortEntriesThen(entries, oneSegment, LineSuffixes{texts}, progress, [&](const Entry *sorted) {
        markRepeats(sorted, count, texts, dropped.data(), progress);
    });
    dropMarkedLines(lines, dropped.data(), progress);
    return lines;
}

UnitLines &reverseLines(UnitLines &lines, Progress *progress)
{
    beginPass(progress, 1);
    reverseInSteps(lines.data(), lines.size(), progress);
    return lines;
}

UnitLines &shuffle(UnitLines &lines, Progress *progress)
{
    beginPass(progress, 1);
    shuffleLines(lines, progress);
    return lines;
}

UnitLines &sortByLength(UnitLines &lines, Progress *progress)
{
    if (!beginSort(lines, progress))
        return lines;
    WorkArray<Entry> entries(lines.size());
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        entries[i] = Entry{quint64(lines.at(i).size()), quint32(i), 0};
        yield();
    }
    sortEntries(lines, entries, {}, NoTexts{}, progress);
    return lines;
}

// Sorts the lines stably by the option's key.
UnitLines &sortByKey(UnitLines &lines, const SortOption &option, qint32 number, const QString &text,
                     Progress *progress)
{
    const qint32 position = option.asks == SortAnswer::Number ? number : option.position;
    switch (option.key) {
    case OptionKey::None:
        return lines;
    case OptionKey::WholeLine:
        return sortFromCharacter(lines, 1, progress);
    case OptionKey::WholeLineDescending:
        return sortBySuffix(lines, progress, lineStart, Direction::Descending);
    case OptionKey::FromCharacter:
        return sortFromCharacter(lines, position, progress);
    case OptionKey::FromWord:
        return sortFromWordNumber(lines, position, progress);
    case OptionKey::AfterMarker:
        return sortAfterMarker(lines, option.asks == SortAnswer::Text ? text : QString(), progress);
    case OptionKey::Filtered:
        return sortByFilter(lines, option.filter, progress);
    case OptionKey::Length:
        return sortByLength(lines, progress);
    case OptionKey::FoldedCase:
        return sortByEncodedKey<FoldedCaseKey>(lines, progress);
    case OptionKey::Natural:
        return sortByEncodedKey<NaturalKey>(lines, progress);
    case OptionKey::LeadingNumber:
        return sortByEncodedKey<LeadingNumberKey>(lines, progress);
    case OptionKey::Dictionary:
    case OptionKey::ChosenKeys:
        break; // on UTF-8 only: see sortLines()
    }
    return lines;
}

// Sorts the references with sort(refs) and gives the texts the order the
// references reached, also when the sort stopped: the references are always a
// whole permutation of the texts.
template <typename Line, typename Sort>
LineArray &sortByReferences(LineArray &lines, LineList<Line> &refs, Sort sort)
{
    const auto reorder = [&] {
        LineArray sorted;
        sorted.reserve(refs.size());
        for (const Line &ref : refs)
            sorted.append(std::move(lines[qsizetype(ref.id)]));
        lines = std::move(sorted);
    };
    try {
        sort(refs);
    } catch (...) {
        reorder();
        throw;
    }
    reorder();
    return lines;
}

} // namespace

UnitLines &sortUnitLines(UnitLines &lines, const SortOption &option, qint32 number,
                         const QString &text, Progress *progress)
{
    switch (option.operation) {
    case LineOperation::None:
        return lines;
    case LineOperation::Sort:
        return sortByKey(lines, option, number, text, progress);
    case LineOperation::SortRemovingDuplicates:
        return sortRemovingDuplicates(lines, progress);
    case LineOperation::RemoveDuplicates:
        return removeDuplicates(lines, progress);
    case LineOperation::Reverse:
        return reverseLines(lines, progress);
    case LineOperation::Shuffle:
        return shuffle(lines, progress);
    case LineOperation::KeepContaining:
    case LineOperation::RemoveContaining:
    case LineOperation::KeepDuplicated:
    case LineOperation::KeepOccurringOnce:
    case LineOperation::CountDuplicates:
        break; // on UTF-8 only: see sortLines()
    }
    return lines;
}

LineArray &sortLines(LineArray &lines, const SortOption &option, qint32 number, const QString &text,
                     Progress *progress)
{
    if (option.operation == LineOperation::CountDuplicates) {
        Utf8Copies copies(lines);
        QByteArray made;
        sortLines(copies.lines, option, number, text, progress, &made);
        LineArray counted;
        counted.reserve(copies.lines.size());
        for (const LineRef &line : copies.lines)
            counted.append(Utf8::toUtf16(line.text()));
        lines = std::move(counted);
        return lines;
    }
    if (option.key == OptionKey::Dictionary || option.key == OptionKey::ChosenKeys ||
        option.asks == SortAnswer::Filter || option.operation == LineOperation::KeepDuplicated ||
        option.operation == LineOperation::KeepOccurringOnce) {
        Utf8Copies copies(lines);
        return sortByReferences(lines, copies.lines, [&](LineRefs &refs) {
            sortLines(refs, option, number, text, progress);
        });
    }
    UnitLines refs;
    refs.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).size() > MaxIndex || i > MaxIndex)
            throw Failure::outOfMemory();
        refs.append(UnitLine{unitsOf(lines.at(i)), quint32(lines.at(i).size()), quint32(i)});
    }
    return sortByReferences(lines, refs, [&](UnitLines &units) {
        sortUnitLines(units, option, number, text, progress);
    });
}

Utf8Copies::Utf8Copies(const QStringList &texts)
{
    bytes.reserve(std::size_t(texts.size()));
    lines.reserve(texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        bytes.push_back(Utf8::fromUtf16(texts.at(i)));
        if (bytes.back().size() > MaxIndex || i > MaxIndex)
            throw Failure::outOfMemory();
        lines.append(LineRef{bytes.back().constData(), quint32(bytes.back().size()), quint32(i)});
    }
}

qsizetype wordStartPosition(QStringView text, QStringView delimiter, qsizetype n)
{
    if (n < 1)
        return 0;
    // Each search starts one character after the previous find, so
    // overlapping delimiters count; an empty delimiter is found at every
    // character.
    if (delimiter.isEmpty())
        return n <= text.size() ? n : -1;
    qsizetype position = 0;
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype found = text.indexOf(delimiter, position);
        if (found < 0)
            return -1;
        position = found + 1;
    }
    return position;
}
