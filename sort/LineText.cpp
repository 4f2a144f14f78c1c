#include "sort/LineText.h"

#include <cstring>

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
