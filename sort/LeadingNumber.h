#pragma once

#include "core/Progress.h"
#include "sort/LineRefs.h"
#include "sort/LineText.h"

#include <QtGlobal>

// "Sort Content By Leading Number": the number after leading spaces and tabs,
// compared exactly, "-0" equal to "0", lines without one after every number.
// The key is built once per line (see StoredKeys.h).
namespace SortEngine {

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
    using KeyUnit = char16_t;
    static constexpr bool KeepsLoneSurrogates = false;
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

// Sorts stably by the leading number. Its key is ASCII: the bytes of a UTF-8
// line always give the units' order.
template <typename Line> void sortByLeadingNumber(LineList<Line> &lines, Progress *progress);

} // namespace SortEngine
