#include "sort/SortRoutines.h"

#include "core/Utf8Text.h"
#include "sort/EntrySort.h"
#include "sort/SortOptions.h"
#include "sort/TwoThreads.h"
#include "sort/UnitLines.h"

#include <atomic>
#include <cstring>

using namespace SortEngine;

// The lines arrive as UTF-8. The keys that take the whole line (ascending,
// descending, removing duplicates) and the length are found on the bytes
// themselves; every other key counts characters, words or markers in UTF-16
// units, and those lines are sorted as units, converted once for the sort.
// A lone surrogate (from a 16-bit file) is the one thing UTF-8 cannot order
// as units do next to a character above U+FFFF: lines that hold one are
// sorted as units whatever the key.

namespace {

// Whether eight bytes hold ED, the lead byte of a surrogate.
inline bool holdsByteED(quint64 word)
{
    constexpr quint64 Low = 0x0101010101010101ull;
    constexpr quint64 High = 0x8080808080808080ull;
    const quint64 x = word ^ (Low * 0xED);
    return ((x - Low) & ~x & High) != 0;
}

// Whether the line holds a lone surrogate; a quick look for the byte ED
// first, since almost no line has one.
bool holdsSurrogate(const LineRef &line)
{
    const char *p = line.bytes;
    const char *const end = p + line.size();
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if (holdsByteED(word))
            return Utf8::holdsSurrogate(line.text());
    }
    for (; p < end; ++p) {
        if (uchar(*p) == 0xED)
            return Utf8::holdsSurrogate(line.text());
    }
    return false;
}

// The entries of the whole lines, each half of the lines on its own thread.
// Gives false, with the entries unfinished, when a line holds a lone
// surrogate.
bool wholeLineEntries(const LineRefs &lines, WorkArray<Entry> &entries, Progress *progress)
{
    const LineRef *texts = lines.constData();
    std::atomic<bool> surrogate = false;
    inTwoHalves(lines.size(), progress, [&](int half, Progress *mayYield) {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        const qsizetype middle = lines.size() / 2;
        const qsizetype to = half == 0 ? middle : lines.size();
        for (qsizetype i = half == 0 ? 0 : middle; i < to; ++i) {
            const LineRef &line = texts[i];
            if (holdsSurrogate(line)) {
                surrogate = true;
                return;
            }
            entries[i] = byteEntry(line.bytes, line.size(), i, 0);
            yield();
        }
    });
    return !surrogate;
}

enum class WholeLines {
    Ascending,
    Descending,
    RemovingDuplicates,
    RemovingLaterDuplicates, // the first of each kept, in input order
};

// Sorts by the whole lines' bytes. Gives false, with the lines as they came,
// when a line holds a lone surrogate.
bool sortWholeLines(LineRefs &lines, WholeLines how, Progress *progress)
{
    if (!beginSort(lines, progress))
        return true;
    const qsizetype count = lines.size();
    WorkArray<Entry> entries(count);
    if (!wholeLineEntries(lines, entries, progress))
        return false;
    const ByteSuffixes texts{lines.constData()};
    switch (how) {
    case WholeLines::Ascending:
        sortEntries(lines, entries, {}, texts, progress);
        break;
    case WholeLines::Descending:
        sortEntries(lines, entries, {}, texts, progress, Direction::Descending);
        break;
    case WholeLines::RemovingDuplicates:
        sortEntries(lines, entries, {}, texts, progress);
        dropRepeatedNeighbours(lines, progress);
        break;
    case WholeLines::RemovingLaterDuplicates: {
        WorkArray<bool> dropped(count);
        const std::vector<qsizetype> oneSegment{count};
        sortEntriesThen(entries, oneSegment, texts, progress, [&](const Entry *sorted, Entry *) {
            markRepeats(sorted, count, lines.constData(), dropped.data(), progress);
        });
        dropMarkedLines(lines, dropped.data(), progress);
        break;
    }
    }
    return true;
}

LineRefs &sortByLength(LineRefs &lines, Progress *progress)
{
    if (!beginSort(lines, progress))
        return lines;
    WorkArray<Entry> entries(lines.size());
    const LineRef *texts = lines.constData();
    inTwoHalves(lines.size(), progress, [&](int half, Progress *mayYield) {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        const qsizetype middle = lines.size() / 2;
        const qsizetype to = half == 0 ? middle : lines.size();
        for (qsizetype i = half == 0 ? 0 : middle; i < to; ++i) {
            entries[i] = Entry{quint64(Utf8::utf16Size(texts[i].text())), 0, quint32(i), 0};
            yield();
        }
    });
    sortEntries(lines, entries, {}, NoTexts{}, progress);
    return lines;
}

// Sorts the lines as UTF-16 units: each line is converted once into one
// buffer, sorted by the units' rules, and the lines take the order reached,
// also when the sort stopped (the units are always a whole permutation, or
// the kept lines once duplicates were removed).
LineRefs &sortAsUnits(LineRefs &lines, const SortOption &option, qint32 number, const QString &text,
                      Progress *progress)
{
    const qsizetype count = lines.size();
    const LineRef *texts = lines.constData();
    qsizetype bytes = 0;
    for (const LineRef &line : lines)
        bytes += line.size();
    // A line never has more units than bytes.
    WorkArray<char16_t> buffer(bytes);
    UnitLines units;
    units.reserve(count);
    {
        YieldPacer yield(progress, YieldPacer::SortItems);
        char16_t *out = buffer.data();
        for (qsizetype i = 0; i < count; ++i) {
            char16_t *const end = Utf8::writeUnits(texts[i].text(), out);
            units.append(UnitLine{out, quint32(end - out), quint32(i)});
            out = end;
            yield();
        }
    }
    const auto reorder = [&] {
        std::vector<LineRef> sorted;
        sorted.reserve(std::size_t(units.size()));
        for (const UnitLine &line : units)
            sorted.push_back(texts[line.id]);
        LineRef *const into = lines.data();
        std::copy(sorted.begin(), sorted.end(), into);
        lines.truncate(units.size());
    };
    try {
        sortUnitLines(units, option, number, text, progress);
    } catch (...) {
        reorder();
        throw;
    }
    reorder();
    return lines;
}

// The whole-line sorts on bytes, or as units when a line holds a lone
// surrogate.
LineRefs &sortWholeLinesOrUnits(LineRefs &lines, WholeLines how, const SortOption &option,
                                Progress *progress)
{
    if (sortWholeLines(lines, how, progress))
        return lines;
    return sortAsUnits(lines, option, 0, QString(), progress);
}

} // namespace

LineRefs &sortLines(LineRefs &lines, const SortOption &option, qint32 number, const QString &text,
                    Progress *progress)
{
    switch (option.operation) {
    case LineOperation::None:
        return lines;
    case LineOperation::SortRemovingDuplicates:
        return sortWholeLinesOrUnits(lines, WholeLines::RemovingDuplicates, option, progress);
    case LineOperation::RemoveDuplicates:
        return sortWholeLinesOrUnits(lines, WholeLines::RemovingLaterDuplicates, option, progress);
    case LineOperation::Reverse:
        beginPass(progress, 1);
        reverseInSteps(lines.data(), lines.size(), progress);
        return lines;
    case LineOperation::Shuffle:
        beginPass(progress, 1);
        shuffleLines(lines, progress);
        return lines;
    case LineOperation::Sort:
        break;
    }
    switch (option.key) {
    case SortKey::None:
        return lines;
    case SortKey::WholeLine:
        return sortWholeLinesOrUnits(lines, WholeLines::Ascending, option, progress);
    case SortKey::WholeLineDescending:
        return sortWholeLinesOrUnits(lines, WholeLines::Descending, option, progress);
    case SortKey::Length:
        return sortByLength(lines, progress);
    default:
        break;
    }
    return sortAsUnits(lines, option, number, text, progress);
}
