#pragma once

#include <QtEndian>
#include <QtGlobal>

#include <cstring>

// What the merge passes sort: one entry per line that takes part, holding the
// first units of the line's key, and where to find the rest of the key when
// those units tie.
namespace SortEngine {

// A line's key as the merge passes see it: sixteen bytes. The first four
// code units of a text key (eight bytes of a UTF-8 key) are packed into the
// head, so that most comparisons never touch the text; the text itself is
// found through the line index when the heads tie. A numeric key is whole in
// the head.
struct Entry
{
    quint64 head;
    quint32 line;   // index in the lines
    quint32 offset; // where the key starts in its line; a filtered key's size
};

// Line indexes and key offsets are 32-bit; texts and arrays beyond that would
// need more memory than a desktop has.
inline constexpr qsizetype MaxIndex = 0xFFFFFFFF;

// Packs up to four code units, most significant first and zero padded. For two
// texts, comparing the packed values agrees with comparing the texts whenever
// the values differ: a missing unit (0) never sorts after a present one.
inline quint64 packHead(const char16_t *text, qsizetype size)
{
    if (size >= 4) {
        quint64 units;
        std::memcpy(&units, text, sizeof units);
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            units =
                ((units & 0xFFFF0000FFFF0000ull) >> 16) | ((units & 0x0000FFFF0000FFFFull) << 16);
            units = (units >> 32) | (units << 32);
        }
        return units;
    }
    quint64 units = 0;
    for (qsizetype i = 0; i < 4; ++i)
        units = (units << 16) | (i < size ? text[i] : 0u);
    return units;
}

// UTF-8 compares as UTF-16 units do once the lead bytes EE and EF (U+E000 to
// U+FFFF) sort above F0 to F4 (the characters above U+FFFF, two units from
// D800 on): code point order and unit order differ only there. A lone
// surrogate (ED A0..BF) against a character above U+FFFF is the one case
// this cannot settle; such lines are sorted as units.
inline constexpr unsigned char unitOrderByte(unsigned char b)
{
    return b == 0xEE ? 0xFE : b == 0xEF ? 0xFF : b;
}

// Up to eight bytes in unit order, most significant first, zero padded: as
// packHead, comparing two packed values agrees with comparing the texts
// whenever they differ.
inline quint64 packBytes(const char *text, qsizetype size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    quint64 bytes = 0;
    if (size >= 8) {
        std::memcpy(&bytes, p, sizeof bytes);
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
            bytes = qbswap(bytes);
        if ((bytes & 0x8080808080808080ull) == 0)
            return bytes;
        bytes = 0;
    }
    for (qsizetype i = 0; i < 8; ++i)
        bytes = (bytes << 8) | (i < size ? unitOrderByte(p[i]) : 0u);
    return bytes;
}

// Up to eight bytes as they are, most significant first, zero padded: for
// keys whose bytes are in unit order already.
inline quint64 packPlainBytes(const unsigned char *p, qsizetype size)
{
    quint64 bytes = 0;
    if (size >= 8) {
        std::memcpy(&bytes, p, sizeof bytes);
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
            bytes = qbswap(bytes);
        return bytes;
    }
    for (qsizetype i = 0; i < 8; ++i)
        bytes = (bytes << 8) | (i < size ? p[i] : 0u);
    return bytes;
}

// Where the keys' units beyond their heads are, for the groups of entries
// whose heads tie; each family of keys says it for its own: size(e) is the
// key's size, packHeads() puts its units from `from` on (a multiple of
// PerLevel, what a head holds) into a refining key's head.

// Numeric keys are whole in their heads.
struct NoTexts
{
    static constexpr bool HeadsAreWhole = true;
};

// The merge passes order by the heads alone, which never touches memory
// beyond the entries; refineTies() then orders the groups of equal heads.
struct HeadLess
{
    bool operator()(const Entry &a, const Entry &b) const { return a.head < b.head; }
};

// When refineTies() orders a group of tied heads, it keys the group again:
// the heads hold the keys' next units, the offset the number of units left
// (at most one more than a head holds). They compare by their next units,
// then by the units left.
struct RefinedLess
{
    bool operator()(const Entry &a, const Entry &b) const
    {
        if (a.head != b.head)
            return a.head < b.head;
        return a.offset < b.offset;
    }
};

} // namespace SortEngine
