#include "sort/FoldedCase.h"

#include "sort/EntrySort.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

// The lines are folded as they are compared: each entry's head holds its
// line's first units folded, and the tie refinement folds the next units of
// the lines that tie. That needs a folded unit to be where the line's unit
// is: always so in UTF-16, and in UTF-8 for the lines where folding keeps
// every character's length in bytes (the others are sorted as units).

namespace SortEngine {

namespace {

inline int characterLength(uchar lead)
{
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// Where the character that holds units[at] begins.
qsizetype characterStart(const uchar *bytes, qsizetype size, qsizetype at)
{
    while (at > 0 && at < size && Utf8::isContinuation(bytes[at]))
        --at;
    return at;
}

qsizetype characterStart(const char16_t *units, qsizetype size, qsizetype at)
{
    if (at > 0 && at < size && QChar::isLowSurrogate(units[at]) &&
        QChar::isHighSurrogate(units[at - 1]))
        --at;
    return at;
}

// Folds the character beyond ASCII at bytes[at] into out; gives the folded
// character's length.
int foldCharacterAt(const uchar *bytes, qsizetype, qsizetype at, uchar *out)
{
    const uchar *p = bytes + at;
    const int n = characterLength(p[0]);
    char32_t c = 0;
    if (n == 2)
        c = char32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F);
    else if (n == 3)
        c = char32_t(p[0] & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    else
        c = char32_t(p[0] & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 |
            (p[3] & 0x3F);
    const char32_t folded = foldedCharacter(c);
    if (folded < 0x80) {
        out[0] = uchar(folded);
        return 1;
    }
    if (folded < 0x800) {
        out[0] = uchar(0xC0 | folded >> 6);
        out[1] = uchar(0x80 | (folded & 0x3F));
        return 2;
    }
    if (folded < 0x10000) {
        out[0] = uchar(0xE0 | folded >> 12);
        out[1] = uchar(0x80 | (folded >> 6 & 0x3F));
        out[2] = uchar(0x80 | (folded & 0x3F));
        return 3;
    }
    out[0] = uchar(0xF0 | folded >> 18);
    out[1] = uchar(0x80 | (folded >> 12 & 0x3F));
    out[2] = uchar(0x80 | (folded >> 6 & 0x3F));
    out[3] = uchar(0x80 | (folded & 0x3F));
    return 4;
}

int foldCharacterAt(const char16_t *units, qsizetype size, qsizetype at, char16_t *out)
{
    const char16_t unit = units[at];
    if (QChar::isHighSurrogate(unit) && at + 1 < size && QChar::isLowSurrogate(units[at + 1])) {
        const char32_t folded = foldedCharacter(QChar::surrogateToUcs4(unit, units[at + 1]));
        out[0] = QChar::highSurrogate(folded);
        out[1] = QChar::lowSurrogate(folded);
        return 2;
    }
    out[0] = QChar::isSurrogate(unit) ? unit : char16_t(foldedCharacter(unit));
    return 1;
}

// Whether folding keeps the length of every character of the line, so that
// a unit of the folded line is where the unit of the line is, and the line
// holds no lone surrogate.
bool foldsInPlace(const LineRef &line)
{
    const uchar *p = LineText<LineRef>::units(line);
    const qsizetype size = line.size();
    for (qsizetype i = 0; i < size;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const int n = characterLength(p[i]);
        if (i + n > size || (p[i] == 0xED && p[i + 1] >= 0xA0))
            return false;
        uchar folded[4];
        if (foldCharacterAt(p, size, i, folded) != n)
            return false;
        i += n;
    }
    return true;
}

constexpr bool foldsInPlace(const UnitLine &)
{
    return true;
}

// The head of units [from, from + left) of the line after folding.
template <typename Line> quint64 foldedHead(const Line &line, qsizetype from, qsizetype left)
{
    using Text = LineText<Line>;
    using Unit = typename Text::Unit;
    constexpr qsizetype Units = Text::HeadUnits;
    const Unit *p = Text::units(line);
    const qsizetype want = std::clamp<qsizetype>(left, 0, Units);
    if (want == Units) {
        quint64 word;
        std::memcpy(&word, p + from, sizeof word);
        // A one in the lowest bit of every unit; every unit at or beyond 0x80.
        constexpr int Bits = std::numeric_limits<Unit>::digits;
        constexpr quint64 Low = ~quint64(0) / ((quint64(1) << Bits) - 1);
        constexpr quint64 Beyond = Low * (std::numeric_limits<Unit>::max() ^ 0x7F);
        if ((word & Beyond) == 0) { // all ASCII: A-Z gain 0x20
            const quint64 fromA = word + Low * (0x80 - 'A');
            const quint64 beyondZ = word + Low * (0x80 - 'Z' - 1);
            word |= (fromA & ~beyondZ & (Low * 0x80)) >> 2;
            return Text::head(reinterpret_cast<const Unit *>(&word), Units);
        }
    }
    Unit window[Units];
    const qsizetype end = from + want;
    for (qsizetype i = characterStart(p, line.size(), from); i < end;) {
        const Unit unit = p[i];
        if (unit < 0x80) {
            if (i >= from)
                window[i - from] = unit >= 'A' && unit <= 'Z' ? Unit(unit + ('a' - 'A')) : unit;
            ++i;
            continue;
        }
        Unit folded[4];
        const int n = foldCharacterAt(p, line.size(), i, folded);
        for (int k = 0; k < n; ++k) {
            if (i + k >= from && i + k < end)
                window[i + k - from] = folded[k];
        }
        i += n;
    }
    return Text::head(window, want);
}

// The folded lines, folded as they are compared.
template <typename Line> struct FoldedLines
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = LineText<Line>::HeadUnits;
    const Line *lines;

    qsizetype size(const Entry &entry) const { return lines[entry.line].size(); }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        key.head = foldedHead(lines[entry.line], from, left);
    }
};

} // namespace

template <typename Line> SortOutcome sortByFoldedCase(LineList<Line> &lines, Progress *progress)
{
    if (!beginSort(lines, progress))
        return SortOutcome::Sorted;
    WorkArray<Entry> entries(lines.size());
    const bool inPlace = entriesInHalves(
        lines, entries, progress, [](const Line &line, qsizetype i) -> std::optional<Entry> {
            if (!foldsInPlace(line))
                return std::nullopt;
            return Entry{foldedHead(line, 0, line.size()), quint32(i), 0};
        });
    if (!inPlace)
        return SortOutcome::NeedsUnits;
    sortEntries(lines, entries, {}, FoldedLines<Line>{lines.constData()}, progress);
    return SortOutcome::Sorted;
}

template SortOutcome sortByFoldedCase(LineRefs &, Progress *);
template SortOutcome sortByFoldedCase(UnitLines &, Progress *);

} // namespace SortEngine
