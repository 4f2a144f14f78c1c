#pragma once

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "sort/LineRefs.h"
#include "sort/SortEntries.h"
#include "sort/UnitLines.h"

#include <QtGlobal>

#include <algorithm>
#include <string_view>

// The two layouts a line to sort can have, as the keys read them: UTF-8 bytes
// (LineRef), or UTF-16 code units (UnitLine) for the lines whose bytes cannot
// give the units' order. Each key is written once over LineText<Line>, and
// the sort of a line set on its bytes says when it needs the units.
namespace SortEngine {

// Whether a sort ordered the lines, or left them as they came, pass 1 begun,
// for the units to order: only a sort of UTF-8 lines gives NeedsUnits.
enum class SortOutcome { Sorted, NeedsUnits };

// Where a key starts in its line, when it starts inside a character above
// U+FFFF: only the units can tell.
inline constexpr qsizetype InsideCharacter = -2;

template <typename Line> struct LineText;

template <> struct LineText<LineRef>
{
    using Unit = unsigned char;
    using View = std::string_view;
    // The units a head holds.
    static constexpr qsizetype HeadUnits = 8;

    static const Unit *units(const LineRef &line)
    {
        return reinterpret_cast<const Unit *>(line.bytes);
    }
    static View view(const LineRef &line) { return line.text(); }
    // Packs key[0, size) in unit order (see unitOrderByte).
    static quint64 head(const Unit *key, qsizetype size)
    {
        return packBytes(reinterpret_cast<const char *>(key), size);
    }
    // The line's length in UTF-16 units.
    static qsizetype unitCount(const LineRef &line) { return Utf8::utf16Size(line.text()); }
    // Whether the bytes cannot order the line as its units would: it holds a
    // lone surrogate (ED A0..BF), which UTF-8 puts below a character above
    // U+FFFF and UTF-16 above.
    static bool needsUnits(const LineRef &line);
    // The offset of the line's 0-based unit `unit` (its end when it is
    // shorter), or InsideCharacter.
    static qsizetype offsetOfUnit(const LineRef &line, qsizetype unit)
    {
        const Unit *p = units(line);
        const qsizetype size = line.size();
        qsizetype at = 0;
        qsizetype count = 0;
        while (at < size && count < unit) {
            const Unit b = p[at];
            at += b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            count += b < 0xF0 ? 1 : 2;
        }
        return count > unit ? InsideCharacter : std::min(at, size);
    }
};

template <> struct LineText<UnitLine>
{
    using Unit = char16_t;
    using View = std::u16string_view;
    static constexpr qsizetype HeadUnits = 4;

    static const Unit *units(const UnitLine &line) { return line.units; }
    static View view(const UnitLine &line) { return {line.units, line.length}; }
    static quint64 head(const Unit *key, qsizetype size) { return packHead(key, size); }
    static qsizetype unitCount(const UnitLine &line) { return line.size(); }
    static constexpr bool needsUnits(const UnitLine &) { return false; }
    static qsizetype offsetOfUnit(const UnitLine &line, qsizetype unit)
    {
        return std::min(unit, line.size());
    }
};

inline bool isAsciiDigit(char16_t unit)
{
    return char16_t(unit - u'0') <= 9;
}

// The entry of a key whose first units are key[0, size).
template <typename Line>
Entry entryOf(const typename LineText<Line>::Unit *key, qsizetype size, qsizetype line,
              qsizetype offset)
{
    if (offset > MaxIndex)
        throw Failure::outOfMemory();
    return Entry{LineText<Line>::head(key, size), quint32(line), quint32(offset)};
}

} // namespace SortEngine
