#include "lists/RowMatcher.h"

#include "core/Utf8Text.h"
#include "sort/EncodedKeys.h"

#include <QChar>

#include <algorithm>
#include <cstring>

namespace {

// Long rows are searched in pieces of about this many bytes, so that a stop
// is noticed within a fraction of a millisecond.
constexpr qsizetype PieceBytes = 64 * 1024;

// Copies the bytes to out with A-Z folded to a-z; gives false, with out
// unfinished, at the first byte beyond ASCII.
bool foldAscii(std::string_view bytes, char *out)
{
    constexpr quint64 Low = 0x0101010101010101ull;
    constexpr quint64 High = Low * 0x80;
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    for (; end - p >= 8; p += 8, out += 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if (word & High)
            return false;
        // Bit 7 of each byte: at least 'A', and beyond 'Z'.
        const quint64 fromA = word + Low * (0x80 - 'A');
        const quint64 beyondZ = word + Low * (0x80 - 'Z' - 1);
        word |= (fromA & ~beyondZ & High) >> 2;
        std::memcpy(out, &word, sizeof word);
    }
    for (; p < end; ++p, ++out) {
        const uchar b = uchar(*p);
        if (b >= 0x80)
            return false;
        *out = char(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
    }
    return true;
}

bool holdsBytes(const char *bytes, qsizetype size, const QByteArray &text)
{
    return ::memmem(bytes, size_t(size), text.constData(), size_t(text.size())) != nullptr;
}

void foldUnits(char16_t *units, qsizetype size)
{
    // Folding keeps every character's length in units: it can write over
    // what it has read.
    SortEngine::KeyWriter<char16_t> out{units};
    SortEngine::FoldedCaseKey::write(units, size, out);
}

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
    if (!foldAscii(piece, m_folded.data()))
        return holdsAsUnits(piece);
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
