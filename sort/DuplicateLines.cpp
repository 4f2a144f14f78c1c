#include "sort/DuplicateLines.h"

#include "core/Failure.h"
#include "core/Yielding.h"
#include "sort/LineOperations.h"
#include "sort/MergeSorter.h"
#include "sort/SortEntries.h"
#include "sort/TwoThreads.h"
#include "sort/WorkArray.h"

#include <QHashFunctions>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <optional>
#include <utility>

using namespace SortEngine;

// The lines are hashed, on two threads, with the process's random seed (so
// that no file can be made to collide), and each line is looked up in a
// table of the lines seen before it. There are two tables: the lines whose
// hash has its top bit set go into one, the others into the other, and each
// thread fills one of them, taking every line of its own in line order, so
// that a line's first occurrence is always the one found in the table.

namespace {

// A place in a table: the line (its index plus one; 0 for an empty place)
// and bits of its hash, so that most lines that only share a place are told
// apart without reading their texts.
struct Slot
{
    quint32 line;
    quint32 tag;
};

// Each table has room for all the lines: about half of them come to it, so
// it stays about half empty and a look-up takes a place or two.
quint64 placesPerTable(qsizetype count)
{
    return std::bit_ceil(quint64(std::max<qsizetype>(count, 8)));
}

// How often each line's text occurs: counts[i] at its first occurrence i, 0
// at every later one; and the room that finding them took. Counting the
// lines takes the hashes' room again; the tables go once they are done with.
struct Occurrences
{
    explicit Occurrences(qsizetype count)
        : counts(count), hashes(count), tables(std::in_place, qsizetype(2 * placesPerTable(count)))
    {
    }

    WorkArray<quint32> counts;
    WorkArray<quint64> hashes;
    std::optional<WorkArray<Slot>> tables;
};

// Finds the occurrences of the lines. Pass 1 has begun.
void countOccurrences(const LineRefs &lines, Occurrences &found, Progress *progress)
{
    const qsizetype count = lines.size();
    const LineRef *texts = lines.constData();
    WorkArray<quint32> &counts = found.counts;
    WorkArray<quint64> &hashes = found.hashes;
    const std::size_t seed = QHashSeed::globalSeed();
    inTwoHalves(count, progress, [&](int half, Progress *mayYield) {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        const qsizetype middle = count / 2;
        const qsizetype to = half == 0 ? middle : count;
        for (qsizetype i = half == 0 ? 0 : middle; i < to; ++i) {
            hashes[i] = quint64(qHashBits(texts[i].bytes, std::size_t(texts[i].size()), seed));
            yield(1 + texts[i].size() / 64);
        }
    });

    const quint64 places = placesPerTable(count);
    const quint64 mask = places - 1;
    inTwoHalves(count, progress, [&](int half, Progress *mayYield) {
        Slot *const table = found.tables->data() + half * places;
        std::memset(static_cast<void *>(table), 0, places * sizeof(Slot));
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        for (qsizetype i = 0; i < count; ++i) {
            yield();
            const quint64 hash = hashes[i];
            if (int(hash >> 63) != half)
                continue;
            const auto tag = quint32(hash >> 32);
            for (quint64 at = hash & mask;; at = (at + 1) & mask) {
                Slot &slot = table[at];
                if (slot.line == 0) {
                    slot = Slot{quint32(i + 1), tag};
                    counts[i] = 1;
                    break;
                }
                if (slot.tag == tag && sameText(texts[slot.line - 1], texts[i])) {
                    ++counts[slot.line - 1];
                    counts[i] = 0;
                    break;
                }
            }
        }
    });
}

// Begins pass 1 and finds the occurrences; false when there are no lines.
bool countedLines(LineRefs &lines, Occurrences &found, Progress *progress)
{
    beginPass(progress, 1);
    if (lines.size() > MaxIndex)
        throw Failure::outOfMemory();
    if (lines.size() == 0)
        return false;
    countOccurrences(lines, found, progress);
    return true;
}

// Keeps the lines whose count keep() takes, in order; once begun, this ends
// before a closed window is told.
template <typename Keep>
void keepCounted(LineRefs &lines, const WorkArray<quint32> &counts, Keep keep, Progress *progress)
{
    LineRef *const items = lines.data();
    DeferredYield yield(progress, YieldPacer::SortItems);
    qsizetype kept = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (keep(counts[i]))
            items[kept++] = items[i];
        yield();
    }
    lines.truncate(kept);
    yield.finish();
}

qsizetype decimalDigits(quint32 number)
{
    qsizetype digits = 1;
    for (; number >= 10; number /= 10)
        ++digits;
    return digits;
}

} // namespace

LineRefs &keepDuplicatedLines(LineRefs &lines, Progress *progress)
{
    Occurrences found(lines.size());
    if (countedLines(lines, found, progress))
        keepCounted(
            lines, found.counts, [](quint32 n) { return n > 1; }, progress);
    return lines;
}

LineRefs &keepLinesOccurringOnce(LineRefs &lines, Progress *progress)
{
    Occurrences found(lines.size());
    if (countedLines(lines, found, progress))
        keepCounted(
            lines, found.counts, [](quint32 n) { return n == 1; }, progress);
    return lines;
}

LineRefs &countDuplicateLines(LineRefs &lines, QByteArray &made, Progress *progress)
{
    const qsizetype count = lines.size();
    Occurrences found(count);
    if (!countedLines(lines, found, progress)) {
        made.clear();
        return lines;
    }
    const WorkArray<quint32> &counts = found.counts;
    YieldPacer yield(progress, YieldPacer::SortItems);
    quint32 most = 0;
    qsizetype distinct = 0;
    for (qsizetype i = 0; i < count; ++i) {
        most = std::max(most, counts[i]);
        distinct += counts[i] > 0 ? 1 : 0;
        yield();
    }
    found.tables.reset();
    // A stable counting sort, most frequent first: starts[n] is where the
    // lines that occur n times begin.
    WorkArray<qsizetype> starts(qsizetype(most) + 1);
    std::fill(starts.data(), starts.data() + starts.size(), qsizetype(0));
    for (qsizetype i = 0; i < count; ++i) {
        ++starts[counts[i]];
        yield();
    }
    qsizetype before = 0;
    for (qsizetype n = most; n >= 1; --n)
        before += std::exchange(starts[n], before);
    // The order, and then what each counted line will be (its id and its
    // size, as the lines are read until the last text is written), share
    // the hashes' room: the k-th shape ends before the order's entry k + 1
    // starts, for there are no more distinct lines than lines.
    quint64 *const shapes = found.hashes.data();
    quint32 *const order = reinterpret_cast<quint32 *>(shapes + count) - distinct;
    const LineRef *texts = lines.constData();
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (counts[i] > 0) {
            order[starts[counts[i]]++] = quint32(i);
            const qsizetype size = decimalDigits(counts[i]) + 1 + texts[i].size();
            if (size > MaxIndex)
                throw Failure::outOfMemory();
            bytes += size;
        }
        yield();
    }

    // The texts, each line copied once.
    QByteArray counted(bytes, Qt::Uninitialized);
    char *out = counted.data();
    for (qsizetype k = 0; k < distinct; ++k) {
        const quint32 line = order[k];
        const LineRef &text = texts[line];
        char *const start = out;
        out = std::to_chars(out, out + 10, counts[line]).ptr;
        *out++ = '\t';
        if (text.size() > 0)
            std::memcpy(out, text.bytes, std::size_t(text.size()));
        out += text.size();
        shapes[k] = quint64(text.id) << 32 | quint64(out - start);
        yield(1 + text.size() / 64);
    }

    // Once the lines change, they end first.
    made = std::move(counted);
    DeferredYield moving(progress, YieldPacer::SortItems);
    LineRef *const into = lines.data();
    const char *at = made.constData();
    for (qsizetype k = 0; k < distinct; ++k) {
        const auto size = quint32(shapes[k]);
        into[k] = LineRef{at, size, quint32(shapes[k] >> 32)};
        at += size;
        moving();
    }
    lines.truncate(distinct);
    moving.finish();
    return lines;
}
