#pragma once

#include "sort/SortKeys.h"

#include <QChar>
#include <QtGlobal>

#include <limits>

// Keys that are built once per line, unit by unit, so that comparing two keys
// by code unit (a key that ends first sorts first) gives the option's order:
// the merge passes and the tie refinement then sort them like any text key.
// Each encoding writes its key through out.put(unit) and says how long the key
// of a line of a given size can be at most.
// The natural and leading-number keys are also built from UTF-8 bytes: a
// key of bytes compares byte by byte as the key of units compares unit by
// unit, since the bytes of a text in unit order (see unitOrderByte) compare
// as its units do.
namespace SortEngine {

// Takes a key unit by unit.
template <typename Unit> struct KeyWriter
{
    Unit *at;

    void put(Unit unit) { *at++ = unit; }
};

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

inline bool isAsciiDigit(char16_t unit)
{
    return char16_t(unit - u'0') <= 9;
}

// The line after simple case folding: each character as QChar::toCaseFolded
// folds it, a surrogate pair as one character, a lone surrogate as it is.
// Folding keeps every character's length in code units, so the key is as long
// as the line.
struct FoldedCaseKey
{
    static qsizetype maxSize(qsizetype size) { return size; }

    template <typename Out> static void write(const char16_t *text, qsizetype size, Out &out)
    {
        for (qsizetype i = 0; i < size; ++i) {
            const char16_t unit = text[i];
            if (unit < 0x80) {
                out.put(unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit);
            } else if (!QChar::isSurrogate(unit)) {
                const char32_t folded = QChar::toCaseFolded(char32_t(unit));
                // No character of the Basic Multilingual Plane folds beyond it.
                out.put(QChar::requiresSurrogates(folded) ? unit : char16_t(folded));
            } else if (QChar::isHighSurrogate(unit) && i + 1 < size &&
                       QChar::isLowSurrogate(text[i + 1])) {
                const char32_t character = QChar::surrogateToUcs4(unit, text[i + 1]);
                char32_t folded = QChar::toCaseFolded(character);
                if (!QChar::requiresSurrogates(folded)) // none folds into the first plane
                    folded = character;
                out.put(QChar::highSurrogate(folded));
                out.put(QChar::lowSurrogate(folded));
                ++i;
            } else {
                out.put(unit);
            }
        }
    }
};

// Counts of units in a line fit in 32 bits: sortLines() fails with "Out of
// memory" for longer lines.
inline constexpr qsizetype LongestLine = qsizetype(1) << 32;

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
template <typename Unit> struct NaturalKeyOf
{
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

using NaturalKey = NaturalKeyOf<char16_t>;
using NaturalByteKey = NaturalKeyOf<unsigned char>;

// The number at the start of a line: after spaces and tabs, an optional sign,
// then digits, a dot and digits, where either side of the dot may be empty
// but not both. The key is its class, below, then for a positive number the
// count of its integer digits without leading zeros, those digits, and its
// fraction without trailing zeros; a shorter fraction is a prefix and sorts
// first. A negative number has the same units, each taken from 0xFFFF, and
// ends with 0xFFFF: the larger magnitude first, a shorter fraction last. All
// zeros ("-0", "0", ".0") are one key, and so are all lines without a number.
// The number is ASCII, so the key of a line's UTF-8 bytes is the key of its
// units.
struct LeadingNumberKey
{
    enum Class : char16_t { Negative = 1, Zero = 2, Positive = 3, NoNumber = 4 };

    // The class, the count, the digits and the end of a negative number.
    static qsizetype maxSize(qsizetype size) { return size + 4; }

    template <typename Char, typename Out>
    static void write(const Char *text, qsizetype size, Out &out)
    {
        const Parts parts = parse(text, size);
        out.put(parts.kind);
        if (parts.kind == Zero || parts.kind == NoNumber)
            return;
        // For a negative number every unit is taken from 0xFFFF.
        const char16_t flip = parts.kind == Negative ? 0xFFFF : 0;
        const qsizetype digits = parts.integerEnd - parts.integer;
        out.put(char16_t((digits >> 16) ^ flip));
        out.put(char16_t((digits & 0xFFFF) ^ flip));
        for (qsizetype k = parts.integer; k < parts.integerEnd; ++k)
            out.put(char16_t(text[k] ^ flip));
        for (qsizetype k = parts.fraction; k < parts.fractionEnd; ++k)
            out.put(char16_t(text[k] ^ flip));
        if (parts.kind == Negative)
            out.put(0xFFFF);
    }

    // Where the significant digits are: the integer digits without leading
    // zeros, and the fraction without trailing zeros.
    struct Parts
    {
        Class kind = NoNumber;
        qsizetype integer = 0, integerEnd = 0, fraction = 0, fractionEnd = 0;
    };

    // The number at the start of text, with decimal as its separator.
    template <typename Char>
    static Parts parse(const Char *text, qsizetype size, char16_t decimal = u'.')
    {
        Parts parts;
        qsizetype i = 0;
        while (i < size && (text[i] == u' ' || text[i] == u'\t'))
            ++i;
        bool negative = false;
        if (i < size && (text[i] == u'+' || text[i] == u'-')) {
            negative = text[i] == u'-';
            ++i;
        }
        const qsizetype integerStart = i;
        while (i < size && isAsciiDigit(text[i]))
            ++i;
        parts.integerEnd = i;
        parts.fraction = parts.fractionEnd = i;
        if (i < size && text[i] == decimal) {
            parts.fraction = ++i;
            while (i < size && isAsciiDigit(text[i]))
                ++i;
            parts.fractionEnd = i;
        }
        if (parts.integerEnd == integerStart && parts.fractionEnd == parts.fraction)
            return Parts{}; // no digit: no number
        parts.integer = integerStart;
        while (parts.integer < parts.integerEnd && text[parts.integer] == u'0')
            ++parts.integer;
        while (parts.fractionEnd > parts.fraction && text[parts.fractionEnd - 1] == u'0')
            --parts.fractionEnd;
        if (parts.integer == parts.integerEnd && parts.fraction == parts.fractionEnd)
            parts.kind = Zero;
        else
            parts.kind = negative ? Negative : Positive;
        return parts;
    }
};

} // namespace SortEngine
