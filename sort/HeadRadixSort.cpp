#include "sort/HeadRadixSort.h"

#include "core/Yielding.h"
#include "sort/MergeSorter.h"
#include "sort/TwoThreads.h"

#include <algorithm>
#include <array>
#include <utility>

namespace SortEngine {

namespace {

// Arrays smaller than this go to the merge passes.
constexpr qsizetype RadixFrom = qsizetype(1) << 16;

// Parts smaller than this are finished in the pass that makes them, while
// they are still in the cache.
constexpr qsizetype FinishBelow = 1024;

// Parts smaller than this are sorted by insertion.
constexpr qsizetype InsertBelow = 32;

// The key of an entry is twelve bytes: its head, then its line (counted
// down when the segment came in reverse line order). No two keys of a
// segment are the same.
constexpr int KeyBytes = 12;

// A part of a segment whose keys agree in their bytes above `byte` (11 is
// the head's most significant byte, 3 to 0 the line's).
struct Part
{
    qsizetype begin;
    qsizetype end;
    int byte;
    bool linesDown;
};

struct KeyLess
{
    bool linesDown;

    bool operator()(const Entry &a, const Entry &b) const
    {
        if (a.head != b.head)
            return a.head < b.head;
        return linesDown ? a.line > b.line : a.line < b.line;
    }
};

inline unsigned keyByte(const Entry &entry, int byte, bool linesDown)
{
    if (byte >= 4)
        return unsigned(entry.head >> (8 * (byte - 4))) & 0xFFu;
    const quint32 line = linesDown ? ~entry.line : entry.line;
    return (line >> (8 * byte)) & 0xFFu;
}

void insertionSort(Entry *begin, Entry *end, KeyLess less)
{
    for (Entry *next = begin + 1; next < end; ++next) {
        const Entry item = *next;
        Entry *at = next;
        for (; at != begin && less(item, *(at - 1)); --at)
            *at = *(at - 1);
        *at = item;
    }
}

// Splits a part by the first byte in which its keys differ, in place, and
// hands the large parts that still hold more than one key to later (small
// ones, and all of them when later is null, are finished here). A part
// found in order is left as it is.
void splitPart(Entry *entries, const Part &part, std::vector<Part> *later, YieldPacer &yield)
{
    Entry *const items = entries + part.begin;
    const qsizetype size = part.end - part.begin;
    const KeyLess less{part.linesDown};
    if (size < InsertBelow) {
        insertionSort(items, items + size, less);
        yield(size);
        return;
    }

    std::array<qsizetype, 256> counts;
    int byte = part.byte;
    bool inOrder = true;
    for (;; --byte) {
        counts.fill(0);
        for (qsizetype k = 0; k < size; ++k) {
            ++counts[keyByte(items[k], byte, part.linesDown)];
            yield();
        }
        if (byte == part.byte) {
            for (qsizetype k = 1; k < size && inOrder; ++k) {
                inOrder = !less(items[k], items[k - 1]);
                yield();
            }
            if (inOrder)
                return;
        }
        // Keys differ, so some byte tells them apart.
        if (counts[keyByte(items[0], byte, part.linesDown)] != size || byte == 0)
            break;
    }

    std::array<qsizetype, 256> next;
    std::array<qsizetype, 256> ends;
    qsizetype at = 0;
    for (int b = 0; b < 256; ++b) {
        next[std::size_t(b)] = at;
        at += counts[std::size_t(b)];
        ends[std::size_t(b)] = at;
    }
    // Each item goes to its bucket's next free place, and the item it finds
    // there moves on, until a cycle closes.
    for (unsigned b = 0; b < 256; ++b) {
        while (next[b] < ends[b]) {
            Entry item = items[next[b]];
            unsigned into = keyByte(item, byte, part.linesDown);
            while (into != b) {
                std::swap(item, items[next[into]++]);
                into = keyByte(item, byte, part.linesDown);
                yield();
            }
            items[next[b]++] = item;
            yield();
        }
    }

    qsizetype begin = 0;
    for (int b = 0; b < 256; ++b) {
        const qsizetype end = ends[std::size_t(b)];
        if (end - begin > 1 && byte > 0) {
            const Part inner{part.begin + begin, part.begin + end, byte - 1, part.linesDown};
            if (later && end - begin >= FinishBelow)
                later->push_back(inner);
            else
                splitPart(entries, inner, nullptr, yield);
        }
        begin = end;
    }
}

// Runs one pass over the parts, the parts of each half of their entries on
// a thread of its own, and gives the parts left for the next pass.
std::vector<Part> runPass(Entry *entries, const std::vector<Part> &parts, Progress *progress)
{
    qsizetype total = 0;
    for (const Part &part : parts)
        total += part.end - part.begin;
    // The parts of the first half: those that begin before half the entries.
    std::size_t middle = 0;
    if (parts.size() > 1) {
        qsizetype before = 0;
        while (middle < parts.size() && before < total / 2) {
            before += parts[middle].end - parts[middle].begin;
            ++middle;
        }
    } else {
        middle = parts.size();
    }
    std::vector<Part> later[2];
    inTwoHalves(total, progress, [&](int half, Progress *mayYield) {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        const std::size_t from = half == 0 ? 0 : middle;
        const std::size_t to = half == 0 ? middle : parts.size();
        for (std::size_t p = from; p < to; ++p)
            splitPart(entries, parts[p], &later[half], yield);
    });
    later[0].insert(later[0].end(), later[1].begin(), later[1].end());
    return std::move(later[0]);
}

} // namespace

void sortByHeads(WorkArray<Entry> &entries, const std::vector<qsizetype> &segmentEnds,
                 Progress *progress)
{
    if (entries.size() < RadixFrom) {
        MergeSorter(entries, segmentEnds, HeadLess{}).sort(progress);
        return;
    }
    std::vector<Part> parts;
    qsizetype begin = 0;
    for (const qsizetype end : segmentEnds) {
        if (end - begin > 1)
            parts.push_back(
                Part{begin, end, KeyBytes - 1, entries[begin].line > entries[end - 1].line});
        begin = end;
    }
    for (int pass = 1; !parts.empty(); ++pass) {
        if (pass > 1)
            beginPass(progress, pass);
        parts = runPass(entries.data(), parts, progress);
    }
}

} // namespace SortEngine
