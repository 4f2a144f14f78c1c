#include "sort/ByteSearch.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace SortEngine {

namespace {

// Whether the needle starts at p, its first and last bytes already equal.
bool middleEqual(const char *p, std::string_view needle)
{
    return needle.size() <= 2 || std::memcmp(p + 1, needle.data() + 1, needle.size() - 2) == 0;
}

} // namespace

const char *findBytes(const char *from, const char *end, std::string_view needle)
{
    const std::size_t size = needle.size();
    if (size == 0)
        return from;
    if (std::size_t(end - from) < size)
        return end;
    if (size == 1) {
        const void *found = std::memchr(from, needle[0], std::size_t(end - from));
        return found ? static_cast<const char *>(found) : end;
    }
    const char *const lastStart = end - size;
    const char *p = from;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    // Sixteen starts at a time; the loads end within [from, end).
    for (; lastStart - p >= 15; p += 16) {
        const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + size - 1));
        auto starts = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(heads, first), _mm_cmpeq_epi8(tails, last))));
        while (starts != 0) {
            const int k = std::countr_zero(starts);
            if (middleEqual(p + k, needle))
                return p + k;
            starts &= starts - 1;
        }
    }
#endif
    for (; p <= lastStart; ++p) {
        if (p[0] == needle.front() && p[size - 1] == needle.back() && middleEqual(p, needle))
            return p;
    }
    return end;
}

} // namespace SortEngine
