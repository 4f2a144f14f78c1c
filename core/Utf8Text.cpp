#include "core/Utf8Text.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Utf8 {

namespace {

constexpr quint64 HighBits = 0x8080808080808080ull;

// Whether b begins a surrogate's three bytes, given the byte after it.
bool surrogateAt(unsigned char b, unsigned char next)
{
    return b == 0xED && next >= 0xA0;
}

// Whether any byte is 0xED, the first of every surrogate's three. Rows
// seldom hold one: those of 16 bytes or more are looked at 16 bytes at a
// time, the last 16 overlapping what came before; shorter ones eight at a
// time, and their rest byte by byte, which is quicker than a call.
bool holdsSurrogateLead(const char *p, const char *end)
{
#if defined(__SSE2__)
    if (end - p >= 16) {
        const __m128i lead = _mm_set1_epi8(char(0xED));
        const auto holdsLead = [&](const char *at) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
            return _mm_movemask_epi8(_mm_cmpeq_epi8(block, lead)) != 0;
        };
        for (; end - p > 16; p += 16) {
            if (holdsLead(p))
                return true;
        }
        return holdsLead(end - 16);
    }
#endif
    constexpr quint64 Ones = 0x0101010101010101ull;
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        word ^= 0xEDEDEDEDEDEDEDEDull;
        if (((word - Ones) & ~word & HighBits) != 0)
            return true;
    }
    for (; p < end; ++p) {
        if (uchar(*p) == 0xED)
            return true;
    }
    return false;
}

} // namespace

qsizetype utf16Size(std::string_view bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    qsizetype units = 0;
    while (end - p >= 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if ((word & HighBits) == 0) {
            units += 8;
            p += 8;
            continue;
        }
        for (int i = 0; i < 8; ++i)
            units += (!isContinuation(p[i])) + (p[i] >= 0xF0);
        p += 8;
    }
    for (; p < end; ++p)
        units += (!isContinuation(*p)) + (*p >= 0xF0);
    return units;
}

QString toUtf16(std::string_view bytes)
{
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    auto *const first = reinterpret_cast<char16_t *>(text.data());
    text.truncate(writeUnits(bytes, first) - first);
    return text;
}

char16_t *writeUnits(std::string_view bytes, char16_t *out)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    while (p < end) {
        // Runs of ASCII, the most of most lines, eight bytes at a time.
        quint64 word;
        while (end - p >= 8 && (std::memcpy(&word, p, 8), (word & HighBits) == 0)) {
            for (int k = 0; k < 8; ++k)
                out[k] = p[k];
            out += 8;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned char b = *p;
        if (b < 0x80) {
            *out++ = b;
            ++p;
        } else if (b < 0xE0 && end - p >= 2) {
            *out++ = char16_t(((b & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else if (b < 0xF0 && end - p >= 3) {
            *out++ = char16_t(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            p += 3;
        } else if (end - p >= 4) {
            const char32_t c = char32_t((b & 0x07) << 18) | char32_t((p[1] & 0x3F) << 12) |
                               char32_t((p[2] & 0x3F) << 6) | char32_t(p[3] & 0x3F);
            *out++ = QChar::highSurrogate(c);
            *out++ = QChar::lowSurrogate(c);
            p += 4;
        } else { // a sequence cut off: the blocks never hold one
            *out++ = QChar::ReplacementCharacter;
            p = end;
        }
    }
    return out;
}

char *appendUnits(QStringView units, char *out)
{
    const char16_t *p = units.utf16();
    const char16_t *const end = p + units.size();
    while (p < end) {
        const char32_t u = *p++;
        if (u < 0x80) {
            *out++ = char(u);
        } else if (u < 0x800) {
            *out++ = char(0xC0 | (u >> 6));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isHighSurrogate(u) && p < end && QChar::isLowSurrogate(*p)) {
            const char32_t c = QChar::surrogateToUcs4(char16_t(u), *p++);
            *out++ = char(0xF0 | (c >> 18));
            *out++ = char(0x80 | ((c >> 12) & 0x3F));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        } else { // also a lone surrogate
            *out++ = char(0xE0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

QByteArray fromUtf16(QStringView units)
{
    QByteArray bytes(units.size() * 3, Qt::Uninitialized);
    char *const end = appendUnits(units, bytes.data());
    bytes.truncate(end - bytes.constData());
    return bytes;
}

bool holdsSurrogate(std::string_view bytes)
{
    if (!holdsSurrogateLead(bytes.data(), bytes.data() + bytes.size()))
        return false;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    while (p < end) {
        const auto *at = static_cast<const unsigned char *>(std::memchr(p, 0xED, size_t(end - p)));
        if (!at || end - at < 2)
            return false;
        if (surrogateAt(at[0], at[1]))
            return true;
        p = at + 1;
    }
    return false;
}

char *copyReplacingSurrogates(std::string_view bytes, char *out)
{
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    const qsizetype size = end - p;
    // A row of 16 bytes or more that holds no 0xED is copied 16 at a time,
    // its last 16 bytes overlapping what came before.
#if defined(__SSE2__)
    if (size >= 16 && !holdsSurrogateLead(p, end)) {
        for (qsizetype k = 0; k + 16 < size; k += 16)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + k),
                             _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + k)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + size - 16),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(end - 16)));
        return out + size;
    }
#endif
    constexpr quint64 Ones = 0x0101010101010101ull;
    quint64 word;
    while (end - p >= 8 && (std::memcpy(&word, p, 8), word ^= 0xEDEDEDEDEDEDEDEDull,
                            ((word - Ones) & ~word & HighBits) == 0)) {
        std::memcpy(out, p, 8);
        out += 8;
        p += 8;
    }
    // The short rest of a row: byte by byte is quicker than a call.
    if (end - p < 8) {
        const char *at = p;
        while (at != end && uchar(*at) != 0xED)
            ++at;
        if (at == end) {
            std::memcpy(out, p, size_t(end - p));
            return out + (end - p);
        }
    }
    while (p < end) {
        const auto *at = static_cast<const char *>(std::memchr(p, 0xED, size_t(end - p)));
        if (!at || end - at < 3) {
            std::memcpy(out, p, size_t(end - p));
            return out + (end - p);
        }
        std::memcpy(out, p, size_t(at - p));
        out += at - p;
        if (surrogateAt(uchar(at[0]), uchar(at[1]))) {
            std::memcpy(out, "\xEF\xBF\xBD", 3);
        } else {
            std::memcpy(out, at, 3);
        }
        out += 3;
        p = at + 3;
    }
    return out;
}

} // namespace Utf8
