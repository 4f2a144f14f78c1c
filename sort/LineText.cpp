#include "sort/LineText.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace SortEngine {

namespace {

// Whether eight bytes hold ED, the lead byte of a surrogate.
inline bool holdsByteED(quint64 word)
{
    constexpr quint64 Low = 0x0101010101010101ull;
    constexpr quint64 High = 0x8080808080808080ull;
    const quint64 x = word ^ (Low * 0xED);
    return ((x - Low) & ~x & High) != 0;
}

} // namespace

bool LineText<LineRef>::needsUnits(const LineRef &line)
{
    const char *p = line.bytes;
    const char *const end = p + line.size();
#if defined(__SSE2__)
    // Lines of 16 bytes or more: 16 at a time, the last 16 overlapping.
    if (end - p >= 16) {
        const __m128i lead = _mm_set1_epi8(char(0xED));
        int found = 0;
        for (; end - p > 16 && !found; p += 16)
            found = _mm_movemask_epi8(
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), lead));
        if (!found)
            found = _mm_movemask_epi8(_mm_cmpeq_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(end - 16)), lead));
        return found && Utf8::holdsSurrogate(line.text());
    }
#endif
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if (holdsByteED(word))
            return Utf8::holdsSurrogate(line.text());
    }
    for (; p < end; ++p) {
        if (uchar(*p) == 0xED)
            return Utf8::holdsSurrogate(line.text());
    }
    return false;
}

} // namespace SortEngine
