#pragma once

#include "core/Failure.h"

#include "sort/UnitLines.h"

#include <QString>
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

inline const char16_t *unitsOf(const QString &text)
{
    return reinterpret_cast<const char16_t *>(text.constData());
}

inline const char16_t *unitsOf(const UnitLine &line)
{
    return line.units;
}

// The entry of a text key whose first units are key[0, size).
inline Entry textEntry(const char16_t *key, qsizetype size, qsizetype line, qsizetype offset)
{
    if (offset > MaxIndex)
        throw Failure::outOfMemory();
    return Entry{packHead(key, size), quint32(line), quint32(offset)};
}

// Packs the next units of a key into a refining key's heads.
inline void packUnitHeads(Entry &key, const char16_t *units, qsizetype left)
{
    key.head = packHead(units, left);
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

// The entry of a UTF-8 key whose first bytes are key[0, size).
inline Entry byteEntry(const char *key, qsizetype size, qsizetype line, qsizetype offset)
{
    if (offset > MaxIndex)
        throw Failure::outOfMemory();
    return Entry{packBytes(key, size), quint32(line), quint32(offset)};
}

// Where the keys' units beyond their heads are, for the groups of entries
// whose heads tie: size(e) is the key's size, packHeads() puts its units
// from `from` on (a multiple of PerLevel, what two heads hold) into a
// refining key's heads.

// The lines' own texts from an offset on.
struct LineSuffixes
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = 4;
    const UnitLine *lines;

    qsizetype size(const Entry &entry) const { return lines[entry.line].size() - entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        packUnitHeads(key, unitsOf(lines[entry.line]) + entry.offset + from, left);
    }
};

// UTF-8 lines from an offset on, in unit order (see unitOrderByte).
struct ByteSuffixes
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = 8;
    const LineRef *lines;

    qsizetype size(const Entry &entry) const { return lines[entry.line].size() - entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        key.head = packBytes(lines[entry.line].bytes + entry.offset + from, left);
    }
};

// Filtered keys: the entry's offset holds the key's size, and only what
// follows the first four units (which the head holds) is stored, at
// tails[starts[line]].
struct FilteredTails
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = 4;
    const char16_t *tails;
    const qsizetype *starts;

    qsizetype size(const Entry &entry) const { return entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        packUnitHeads(key, tails + starts[entry.line] + (from - 4), left);
    }
};

// Keys encoded from their lines (see EncodedKeys.h): the entry's offset holds
// the key's size, and the whole key is stored at keys[starts[line]].
struct StoredKeys
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = 4;
    const char16_t *keys;
    const qsizetype *starts;

    qsizetype size(const Entry &entry) const { return entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        packUnitHeads(key, keys + starts[entry.line] + from, left);
    }
};

// Keys of bytes in unit order, each stored whole where keys[line] points;
// the entry's offset holds the key's size.
struct PointedKeys
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = 8;
    const unsigned char *const *keys;

    qsizetype size(const Entry &entry) const { return entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        key.head = packPlainBytes(keys[entry.line] + from, left);
    }
};

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
