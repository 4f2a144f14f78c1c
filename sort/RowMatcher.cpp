#include "sort/RowMatcher.h"

#include "core/Utf8Text.h"
#include "sort/ByteSearch.h"
#include "sort/FoldedCase.h"

#include <QChar>

#include <algorithm>
#include <cstring>

namespace {

// Long rows are searched in pieces of about this many bytes, so that a stop
// is noticed within a fraction of a millisecond.
constexpr qsizetype PieceBytes = 64 * 1024;

// Copies the bytes to out with A-Z folded to a-z and the other bytes as they
// are; gives whether all of them were ASCII.
bool foldAscii(std::string_view bytes, char *out)
{
    constexpr quint64 Low = 0x0101010101010101ull;
    constexpr quint64 High = Low * 0x80;
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    quint64 beyondAscii = 0;
    for (; end - p >= 8; p += 8, out += 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        beyondAscii |= word & High;
        // Bit 7 of each byte below 0x80: at least 'A', and beyond 'Z'.
        const quint64 low = word & ~High;
        const quint64 fromA = low + Low * (0x80 - 'A');
        const quint64 beyondZ = low + Low * (0x80 - 'Z' - 1);
        word |= (fromA & ~beyondZ & ~word & High) >> 2;
        std::memcpy(out, &word, sizeof word);
    }
    for (; p < end; ++p, ++out) {
        const uchar b = uchar(*p);
        beyondAscii |= b & 0x80;
        *out = char(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
    }
    return beyondAscii == 0;
}

// The first place in bytes[0, size) where text starts; null for none.
const char *findBytes(const char *bytes, qsizetype size, const QByteArray &text)
{
    const char *const end = bytes + size;
    const char *const at =
        SortEngine::findBytes(bytes, end, std::string_view(text.constData(), size_t(text.size())));
    return at == end ? nullptr : at;
}

bool holdsBytes(const char *bytes, qsizetype size, const QByteArray &text)
{
    return findBytes(bytes, size, text) != nullptr;
}

bool holdsAnyOf(std::string_view bytes, const std::vector<QByteArray> &texts)
{
    return std::any_of(texts.begin(), texts.end(), [bytes](const QByteArray &text) {
        return holdsBytes(bytes.data(), qsizetype(bytes.size()), text);
    });
}

void foldUnits(char16_t *units, qsizetype size)
{
    SortEngine::foldInPlace(units, size);
}

// Each unit of the first plane as folding gives it on its own; a surrogate
// as itself.
const std::vector<char16_t> &unitsFolded()
{
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> folded(0x10000);
        for (char32_t unit = 0; unit < 0x10000; ++unit) {
            folded[unit] = char16_t(unit);
            if (!QChar::isSurrogate(unit))
                foldUnits(&folded[unit], 1);
        }
        return folded;
    }();
    return table;
}

// The units of the text looked at for clues, and how many are kept.
constexpr size_t CluesLookedAt = 8;
constexpr size_t CluesKept = 3;

} // namespace

RowMatcher::RowMatcher(QStringView text, bool matchCase) : m_matchCase(matchCase)
{
    m_units.assign(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
    if (!matchCase)
        foldUnits(m_units.data(), qsizetype(m_units.size()));
    m_bytes = Utf8::fromUtf16(QStringView(m_units));
    for (size_t i = 0; i < m_units.size(); ++i) {
        const char16_t unit = m_units[i];
        m_asciiText = m_asciiText && unit < 0x80;
        if (QChar::isHighSurrogate(unit) && i + 1 < m_units.size() &&
            QChar::isLowSurrogate(m_units[i + 1]))
            ++i;
        else if (QChar::isSurrogate(unit))
            m_onlyUnits = true;
    }
    if (!matchCase && !m_units.empty())
        findFoldedCharacters();
}

void RowMatcher::findFoldedCharacters()
{
    const std::vector<char16_t> &folded = unitsFolded();
    const auto utf8 = [](char32_t c) {
        const char16_t unit = char16_t(c);
        return Utf8::fromUtf16(QStringView(&unit, 1));
    };
    if (m_asciiText) {
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            if (folded[c] < 0x80 && m_units.find(folded[c]) != std::u16string::npos)
                m_foldsToText.push_back(utf8(c));
        }
        return;
    }
    // A row holds, for each unit of the folded text, a character that folds
    // to it: a few units that are rare in text (beyond ASCII before letters
    // before other ASCII), and that the fewest characters fold to, tell
    // quickly that most rows cannot hold the text.
    struct Unit
    {
        int commonness;
        qsizetype characters;
        char16_t unit;
        auto operator<=>(const Unit &) const = default;
    };
    std::vector<Unit> units;
    for (size_t i = 0; i < std::min(m_units.size(), CluesLookedAt); ++i) {
        const char16_t unit = m_units[i];
        const auto seen = [unit](const Unit &known) { return known.unit == unit; };
        if (QChar::isSurrogate(unit) || std::any_of(units.begin(), units.end(), seen))
            continue;
        const int commonness = unit >= 0x80 ? 0 : QChar::isLetter(unit) ? 1 : 2;
        units.push_back({commonness, std::count(folded.begin(), folded.end(), unit), unit});
    }
    std::sort(units.begin(), units.end());
    units.resize(std::min(units.size(), CluesKept));
    for (const Unit &unit : units) {
        std::vector<QByteArray> &clues = m_clues.emplace_back();
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (folded[c] == unit.unit)
                clues.push_back(utf8(c));
        }
    }
}

bool RowMatcher::mayHold(std::string_view piece) const
{
    return std::all_of(
        m_clues.begin(), m_clues.end(),
        [piece](const std::vector<QByteArray> &clues) { return holdsAnyOf(piece, clues); });
}

bool RowMatcher::holds(std::string_view row)
{
    static const std::atomic<bool> never = false;
    return holds(row, never);
}

bool RowMatcher::holds(std::string_view row, const std::atomic<bool> &stop)
{
    if (m_units.empty())
        return true;
    const qsizetype size = qsizetype(row.size());
    // A match of n units spans at most 3n bytes: a piece reaches that far
    // past its share of the row.
    const qsizetype overlap = 3 * qsizetype(m_units.size());
    if (size <= PieceBytes + overlap)
        return holdsInPiece(row);
    const auto startsCharacter = [row, size](qsizetype at) {
        return at >= size || !Utf8::isContinuation(uchar(row[size_t(at)]));
    };
    for (qsizetype start = 0;;) {
        if (stop.load(std::memory_order_relaxed))
            return false;
        qsizetype end = std::min(size, start + PieceBytes + overlap);
        while (!startsCharacter(end))
            ++end;
        if (holdsInPiece(row.substr(size_t(start), size_t(end - start))))
            return true;
        if (end == size)
            return false;
        start += PieceBytes;
        while (!startsCharacter(start))
            ++start;
    }
}

bool RowMatcher::holdsInPiece(std::string_view piece)
{
    const qsizetype size = qsizetype(piece.size());
    // Every unit takes at least one byte.
    if (size < qsizetype(m_units.size()))
        return false;
    if (m_onlyUnits)
        return holdsAsUnits(piece);
    if (m_matchCase)
        return holdsBytes(piece.data(), size, m_bytes);
    if (qsizetype(m_folded.size()) < size)
        m_folded.resize(size_t(size));
    if (!foldAscii(piece, m_folded.data())) {
        if (!m_asciiText)
            return mayHold(piece) && holdsAsUnits(piece);
        if (holdsAnyOf(piece, m_foldsToText))
            return holdsAsUnits(piece);
    }
    return m_asciiText && holdsBytes(m_folded.data(), size, m_bytes);
}

bool RowMatcher::holdsAsUnits(std::string_view piece)
{
    if (m_pieceUnits.size() < piece.size())
        m_pieceUnits.resize(piece.size());
    char16_t *const units = m_pieceUnits.data();
    const qsizetype size = Utf8::writeUnits(piece, units) - units;
    if (!m_matchCase)
        foldUnits(units, size);
    return std::u16string_view(units, size_t(size)).find(m_units) != std::u16string_view::npos;
}

bool RowMatcher::takeStretch(std::string_view stretch)
{
    if (m_units.empty() || m_onlyUnits)
        return false;
    if (m_matchCase) {
        m_stretch = stretch;
        return true;
    }
    if (m_folded.size() < stretch.size())
        m_folded.resize(stretch.size());
    if (!foldAscii(stretch, m_folded.data()) &&
        (!m_asciiText || holdsAnyOf(stretch, m_foldsToText)))
        return false;
    m_stretch = std::string_view(m_folded.data(), stretch.size());
    return true;
}

qsizetype RowMatcher::nextMatch(qsizetype from) const
{
    const qsizetype size = qsizetype(m_stretch.size());
    if (from >= size)
        return -1;
    const char *at = findBytes(m_stretch.data() + from, size - from, m_bytes);
    return at ? at - m_stretch.data() : -1;
}
