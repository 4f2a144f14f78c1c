#pragma once

#include "core/Progress.h"
#include "sort/LineRefs.h"
#include "sort/LineText.h"

#include <QtGlobal>

#include <limits>

// "Sort Content Naturally (Numbers By Value)": the line in runs, digit runs
// (ASCII 0-9) by value, the runs between by code unit; then fewer runs
// first; then shorter written digit runs first. The key is built once per
// line (see StoredKeys.h), from the line's units or from its UTF-8 bytes: a
// key of bytes compares byte by byte as the key of units compares unit by
// unit, since the bytes of a text in unit order (see unitOrderByte) compare
// as its units do.
namespace SortEngine {

// The unit at text[i], in unit order: UTF-16 units as they are, UTF-8 bytes
// through unitOrderByte.
inline char16_t unitAt(const char16_t *text, qsizetype i)
{
    return text[i];
}

inline unsigned char unitAt(const unsigned char *text, qsizetype i)
{
    return unitOrderByte(text[i]);
}

// A count as one unit, count + 1, when below the largest unit but one, else
// as that largest unit and the count's 32 bits, most significant first (two
// units of 16 bits, four of 8). Never 0, and larger counts give larger units.
template <typename Unit, typename Out> void putCount(qsizetype count, Out &out)
{
    constexpr Unit Top = std::numeric_limits<Unit>::max();
    if (count < Top - 1) {
        out.put(Unit(count + 1));
        return;
    }
    out.put(Top);
    constexpr int Bits = std::numeric_limits<Unit>::digits;
    for (int shift = 32 - Bits; shift >= 0; shift -= Bits)
        out.put(Unit((count >> shift) & Top));
}

// Natural order. The line is cut into runs: a run of non-digits (the first
// may be empty), a run of digits, a run of non-digits and so on. The key
// holds the runs in turn:
//   - a run of non-digits: each unit u as u + 2 (u >= 0xFFFD as 0xFFFF and
//     u - 0xFFFD, which keeps the order; for bytes u >= 0xFD as 0xFF and
//     u - 0xFD), then RunEnd (1), below every unit:
//     a run that is a prefix of the other comes first;
//   - a run of digits: the count of its digits without leading zeros, then
//     those digits: the shorter number is the smaller, then digit by digit;
//     any length works;
//   - after the last run, LineEnd (0): where one line has run out and the
//     other goes on, it is below both a count and a non-digit unit, so the
//     line with fewer runs comes first.
// Lines alike so far have digit runs of equal values, which differ only in
// their leading zeros: a line with leading zeros adds the count of each digit
// run's leading zeros, so the first run with fewer of them comes first ("1"
// before "01"), and a line without any ends there, before the others. Signs
// and dots are non-digits like any other.
template <typename Unit> struct NaturalKey
{
    using KeyUnit = Unit;
    static constexpr bool KeepsLoneSurrogates = true;
    static constexpr Unit Top = std::numeric_limits<Unit>::max();
    static constexpr Unit LineEnd = 0;
    static constexpr Unit RunEnd = 1;

    // At most three units for each unit of the line (an escaped non-digit
    // that ends its run and the RunEnd; a digit alone in its run and the
    // run's two counts), and the first RunEnd and LineEnd. A count takes
    // more only in lines longer than the largest unit, and there a run of
    // digits is at least that long.
    static qsizetype maxSize(qsizetype size)
    {
        if constexpr (sizeof(Unit) == 2)
            return (size < 0xFFFE ? 3 : 7) * size + 2;
        else
            return 3 * size + 2 + 8 * (size / (Top - 1) + 1);
    }

    template <typename Out> static void write(const Unit *text, qsizetype size, Out &out)
    {
        // The leading zeros of the first digit runs, kept for the end.
        constexpr int Kept = 16;
        qsizetype zeros[Kept];
        int digitRuns = 0;
        bool leadingZeros = false;
        qsizetype i = 0;
        for (;;) {
            for (; i < size; ++i) {
                const Unit unit = unitAt(text, i);
                if (isAsciiDigit(unit))
                    break;
                if (unit < Top - 2) {
                    out.put(Unit(unit + 2));
                } else {
                    out.put(Top);
                    out.put(Unit(unit - (Top - 2)));
                }
            }
            out.put(RunEnd);
            if (i == size)
                break;
            const qsizetype start = i;
            while (i < size && text[i] == u'0')
                ++i;
            const qsizetype significant = i;
            while (i < size && isAsciiDigit(text[i]))
                ++i;
            putCount<Unit>(i - significant, out);
            for (qsizetype k = significant; k < i; ++k)
                out.put(Unit(text[k]));
            if (digitRuns < Kept)
                zeros[digitRuns] = significant - start;
            ++digitRuns;
            leadingZeros |= significant > start;
            if (i == size)
                break;
        }
        out.put(LineEnd);
        if (!leadingZeros)
            return;
        if (digitRuns <= Kept) {
            for (int r = 0; r < digitRuns; ++r)
                putCount<Unit>(zeros[r], out);
            return;
        }
        for (qsizetype k = 0; k < size;) { // too many to keep: count them again
            if (!isAsciiDigit(text[k])) {
                ++k;
                continue;
            }
            const qsizetype start = k;
            while (k < size && text[k] == u'0')
                ++k;
            putCount<Unit>(k - start, out);
            while (k < size && isAsciiDigit(text[k]))
                ++k;
        }
    }
};

// Sorts stably by the natural key. On UTF-8 lines it gives NeedsUnits when a
// line holds a lone surrogate.
template <typename Line> SortOutcome sortNaturally(LineList<Line> &lines, Progress *progress);

} // namespace SortEngine
