#include "lists/TextDecoding.h"

#include "core/Utf8Text.h"
#include "lists/LoadMeter.h"

#include <QString>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace TextDecoding {

namespace {

// Windows-1252; the five bytes that code page leaves undefined keep their value.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> makeWindows1252Table()
{
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[size_t(b)] =
            (b >= 0x80 && b < 0xA0) ? Windows1252High[size_t(b - 0x80)] : char16_t(b);
    return table;
}

constexpr std::array<char16_t, 256> Windows1252 = makeWindows1252Table();

constexpr quint64 HighBits = 0x8080808080808080ull;

bool continuation(uchar b)
{
    return isContinuation(b);
}

// Strict UTF-8 as a machine of nine states, each a shift of 6 bits: the
// entry of a byte holds, at each state's shift, the state that byte leads
// to. A byte costs a load and a shift, with no branch.
enum Utf8State : quint64 {
    Invalid = 0, // stays invalid
    Between = 6, // between characters
    OneMore = 12,
    TwoMore = 18,
    ThreeMore = 24,
    AfterE0 = 30, // the next byte A0 to BF (no overlong form)
    AfterED = 36, // 80 to 9F (no surrogate)
    AfterF0 = 42, // 90 to BF (no overlong form)
    AfterF4 = 48, // 80 to 8F (nothing above U+10FFFF)
};

constexpr quint64 goes(Utf8State from, Utf8State to)
{
    return quint64(to) << quint64(from);
}

constexpr quint64 utf8Transitions(int b)
{
    if (b < 0x80)
        return goes(Between, Between);
    if (b < 0xC0)
        return goes(OneMore, Between) | goes(TwoMore, OneMore) | goes(ThreeMore, TwoMore) |
               (b >= 0xA0 ? goes(AfterE0, OneMore) : goes(AfterED, OneMore)) |
               (b >= 0x90 ? goes(AfterF0, TwoMore) : goes(AfterF4, TwoMore));
    if (b < 0xC2 || b > 0xF4)
        return 0;
    if (b < 0xE0)
        return goes(Between, OneMore);
    if (b == 0xE0 || b == 0xED)
        return goes(Between, b == 0xE0 ? AfterE0 : AfterED);
    if (b < 0xF0)
        return goes(Between, TwoMore);
    if (b == 0xF0 || b == 0xF4)
        return goes(Between, b == 0xF0 ? AfterF0 : AfterF4);
    return goes(Between, ThreeMore);
}

constexpr std::array<quint64, 256> makeUtf8Table()
{
    std::array<quint64, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[size_t(b)] = utf8Transitions(b);
    return table;
}

constexpr std::array<quint64, 256> Utf8Table = makeUtf8Table();

// Where UTF-8 ends, a character at a time: exact, but a branch a byte that
// mixed scripts keep mispredicting.
const uchar *endOfUtf8Exactly(const uchar *p, const uchar *end)
{
    while (p < end) {
        if (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, sizeof word);
            if ((word & HighBits) == 0) {
                p += 8;
                continue;
            }
        }
        const uchar b = *p;
        if (b < 0x80) {
            ++p;
        } else if (b < 0xC2) {
            return p;
        } else if (b < 0xE0) {
            if (end - p < 2 || !continuation(p[1]))
                return p;
            p += 2;
        } else if (b < 0xF0) {
            if (end - p < 3 || !continuation(p[1]) || !continuation(p[2]))
                return p;
            if ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] >= 0xA0))
                return p;
            p += 3;
        } else if (b < 0xF5) {
            if (end - p < 4 || !continuation(p[1]) || !continuation(p[2]) || !continuation(p[3]))
                return p;
            if ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] >= 0x90))
                return p;
            p += 4;
        } else {
            return p;
        }
    }
    return end;
}

} // namespace

// The machine runs 16 bytes at a time, ASCII skipped two words at a time;
// only when it finds a fault is the place found again exactly, from the last
// point known to be between characters.
const uchar *endOfUtf8(const uchar *p, const uchar *end)
{
    const uchar *between = p;
    quint64 state = Between;
    while (end - p >= 16) {
        if ((state & 63) == Between) {
            between = p;
            quint64 words[2];
            std::memcpy(words, p, sizeof words);
            if (((words[0] | words[1]) & HighBits) == 0) {
                p += 16;
                continue;
            }
        }
        for (int i = 0; i < 16; ++i)
            state = Utf8Table[p[i]] >> (state & 63);
        p += 16;
        if ((state & 63) == Invalid)
            return endOfUtf8Exactly(between, end);
    }
    for (; p < end; ++p)
        state = Utf8Table[*p] >> (state & 63);
    return (state & 63) == Between ? end : endOfUtf8Exactly(between, end);
}

QByteArray windows1252ToUtf8(QByteArrayView bytes, LoadMeter &meter)
{
    QByteArray text(bytes.size() * 3, Qt::Uninitialized);
    char *out = text.data();
    for (qsizetype at = 0; at < bytes.size(); at += LoadPiece) {
        meter.keepAlive();
        for (const char c : bytes.sliced(at, std::min(LoadPiece, bytes.size() - at))) {
            const auto b = uchar(c);
            if (b < 0x80) {
                *out = c;
                out += b != '\r';
            } else {
                const char16_t unit = Windows1252[b];
                out = Utf8::appendUnits(QStringView(&unit, 1), out);
            }
        }
    }
    text.truncate(out - text.constData());
    return text;
}

bool isUtf16(QByteArrayView bytes)
{
    const auto first = static_cast<uchar>(bytes.front());
    return first == 0xFF || first == 0xFE;
}

// 16-bit units as UTF-8, carriage returns deleted; a lone surrogate is kept
// as its three bytes. The units go a piece at a time; a high surrogate at a
// piece's end waits for the next piece, so that a pair (even one with a
// carriage return between its halves) is never taken for two lone ones.
QByteArray utf16ToUtf8(QByteArrayView bytes, LoadMeter &meter)
{
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    const bool twoBytes = bytes.size() >= 2;
    const bool bigEndian = twoBytes && in[0] == 0xFE && in[1] == 0xFF;
    const bool littleEndianMark = twoBytes && in[0] == 0xFF && in[1] == 0xFE;
    const qsizetype start = (bigEndian || littleEndianMark) ? 2 : 0;
    const qsizetype units = (bytes.size() - start) / 2;
    const bool oddByte = (bytes.size() - start) % 2 != 0;

    QByteArray text((units + 1) * 3, Qt::Uninitialized);
    char *out = text.data();
    std::vector<char16_t> piece(std::size_t(std::min(units, LoadPiece)) + 2);
    qsizetype held = 0; // a high surrogate kept back from the last piece
    qsizetype at = 0;
    do {
        meter.keepAlive();
        const qsizetype size = std::min(LoadPiece, units - at);
        if (bigEndian)
            qFromBigEndian<char16_t>(in + start + at * 2, size, piece.data() + held);
        else
            qFromLittleEndian<char16_t>(in + start + at * 2, size, piece.data() + held);
        at += size;
        const bool last = at == units;
        qsizetype filled = held + size;
        if (last && oddByte)
            piece[std::size_t(filled++)] = QChar::ReplacementCharacter;
        filled = std::remove(piece.data(), piece.data() + filled, u'\r') - piece.data();
        held = !last && filled > 0 && QChar::isHighSurrogate(piece[std::size_t(filled - 1)]);
        out = Utf8::appendUnits(QStringView(piece.data(), filled - held), out);
        if (held)
            piece[0] = piece[std::size_t(filled - 1)];
    } while (at < units);
    text.truncate(out - text.constData());
    return text;
}

} // namespace TextDecoding
