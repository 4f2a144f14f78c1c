#include "lists/RowSplitting.h"

#include "lists/LoadMeter.h"
#include "lists/TextDecoding.h"

#include "core/Yielding.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace RowSplitting {

namespace {

bool blank(const char *begin, const char *end)
{
    return std::all_of(begin, end, [](char c) { return c == ' ' || c == '\r'; });
}

// The pieces of one line's work. Each goes a piece at a time; between
// pieces the meter is told where the split is (from first on).

// Where the line feeds, carriage returns and bytes from 0x80 up are among
// up to 64 bytes: bit i for byte i.
struct BlockMasks
{
    quint64 lineFeeds = 0;
    quint64 carriageReturns = 0;
    quint64 high = 0;
};

constexpr qsizetype BlockSize = 64;

BlockMasks masksOf(const char *p, qsizetype size)
{
    BlockMasks masks;
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = uchar(p[i]);
        const quint64 bit = quint64(1) << i;
        if (b == '\n')
            masks.lineFeeds |= bit;
        else if (b == '\r')
            masks.carriageReturns |= bit;
        else if (b >= 0x80)
            masks.high |= bit;
    }
    return masks;
}

BlockMasks masksOfBlock(const char *p)
{
#if defined(__SSE2__)
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    BlockMasks masks;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * part));
        const auto bits = [&](__m128i lanes) {
            return quint64(uint(_mm_movemask_epi8(lanes)) & 0xFFFFu) << (16 * part);
        };
        masks.lineFeeds |= bits(_mm_cmpeq_epi8(bytes, lineFeed));
        masks.carriageReturns |= bits(_mm_cmpeq_epi8(bytes, carriageReturn));
        masks.high |= bits(bytes); // the sign bit of each byte
    }
    return masks;
#else
    return masksOf(p, BlockSize);
#endif
}

// The lines of a text, found 64 bytes at a time, each told with whether it
// holds a carriage return or a byte from 0x80 up: most lines need neither a
// second look for carriage returns nor the UTF-8 check. It reads each byte
// once, ahead of the split, which only ever writes before the line it is on.
class LineScan final
{
public:
    struct Line
    {
        const char *lineFeed; // null for the last line, which has none
        bool carriageReturn;
        bool high;
    };

    LineScan(const char *first, qsizetype from, qsizetype size)
        : m_first(first), m_block(from), m_size(size)
    {
        load();
    }

    // The line that starts at p, the byte after the line feed given last
    // (or where the scan began). A long line paces the meter.
    Line next(const char *p, LoadMeter &meter)
    {
        bool carriageReturn = false;
        bool high = false;
        qsizetype paced = p - m_first;
        for (;;) {
            if (m_masks.lineFeeds != 0) {
                const int at = std::countr_zero(m_masks.lineFeeds);
                const quint64 before = (quint64(1) << at) - 1;
                const quint64 after = ~(before | (quint64(1) << at));
                carriageReturn |= (m_masks.carriageReturns & before) != 0;
                high |= (m_masks.high & before) != 0;
                m_masks.lineFeeds &= after;
                m_masks.carriageReturns &= after;
                m_masks.high &= after;
                return {m_first + m_block + at, carriageReturn, high};
            }
            carriageReturn |= m_masks.carriageReturns != 0;
            high |= m_masks.high != 0;
            m_block += BlockSize;
            if (m_block >= m_size) {
                m_block = m_size;
                m_masks = {};
                return {nullptr, carriageReturn, high};
            }
            if (m_block - paced >= LoadPiece) {
                paced = m_block;
                meter.pace(m_block);
            }
            load();
        }
    }

private:
    void load()
    {
        m_masks = m_size - m_block >= BlockSize ? masksOfBlock(m_first + m_block)
                                                : masksOf(m_first + m_block, m_size - m_block);
    }

    const char *m_first;
    qsizetype m_block; // where the block of m_masks starts
    qsizetype m_size;
    BlockMasks m_masks;
};

// Whether [p, end) is strict UTF-8; pieces end between characters.
bool isUtf8(const char *p, const char *end, const char *first, LoadMeter &meter)
{
    const auto *from = reinterpret_cast<const uchar *>(p);
    const auto *const to = reinterpret_cast<const uchar *>(end);
    while (to - from > LoadPiece) {
        const uchar *stop = from + LoadPiece;
        for (int back = 0; back < 3 && TextDecoding::isContinuation(*stop); ++back)
            --stop;
        if (TextDecoding::endOfUtf8(from, stop) != stop)
            return false;
        from = stop;
        meter.pace(reinterpret_cast<const char *>(from) - first);
    }
    return TextDecoding::endOfUtf8(from, to) == to;
}

// Moves size bytes from p down to out (out before p), front piece first.
void moveDown(char *out, const char *p, qsizetype size, const char *first, LoadMeter &meter)
{
    for (qsizetype done = 0; done < size; done += LoadPiece) {
        if (done > 0)
            meter.pace(p + done - first);
        std::memmove(out + done, p + done, size_t(std::min(LoadPiece, size - done)));
    }
}

// Deletes the carriage returns of [row, row + size) in place; gives the new end.
char *withoutCarriageReturns(char *row, qsizetype size, const char *first, LoadMeter &meter)
{
    char *kept = row;
    const char *from = row;
    const char *const end = row + size;
    while (from < end) {
        const char *const stop = std::min(from + LoadPiece, end);
        while (from < stop) {
            const auto *found =
                static_cast<const char *>(std::memchr(from, '\r', size_t(stop - from)));
            const char *const partEnd = found ? found : stop;
            if (kept != from)
                std::memmove(kept, from, size_t(partEnd - from));
            kept += partEnd - from;
            from = found ? found + 1 : stop;
        }
        if (from < end)
            meter.pace(from - first);
    }
    return kept;
}

// Splits UTF-8 text at its line feeds into rows, in place: the text becomes
// the block, its carriage returns deleted on the way, lines of spaces only
// skipped; the rows start from `start` on (after a mark). With check set, the
// text is checked to be strict UTF-8 as it goes; when it is not, nothing is
// given and the text is left whole, with no carriage return before the point
// where the check stopped. lineFeeds is how many line feeds there are.
//
// The first knownUtf8 bytes were found to be UTF-8 already (while they were
// read): lines within them are not checked again.
std::optional<LoadedText> splitRows(QByteArray text, qsizetype start, qint64 lineFeeds, bool check,
                                    LoadMeter &meter, QByteArray *unchecked = nullptr,
                                    qsizetype knownUtf8 = 0)
{
    LoadedText loaded;
    loaded.spans.reserve(std::size_t(lineFeeds + 1));
    char *const first = text.data();
    const char *p = first + start;
    const char *const end = first + text.size();
    char *out = first + start; // where kept bytes go, once a carriage return was deleted
    const char *const known = first + std::min(knownUtf8, text.size());
    // A large text's second half (from a line's start on), or what follows
    // the part known to be UTF-8 when that is more, is checked on a thread
    // of its own meanwhile; the rows are split here, in order, and only ever
    // move bytes before the one they read.
    const char *checkedFrom = end;
    // Where the second half stops being UTF-8.
    const uchar *checkedUpTo = reinterpret_cast<const uchar *>(end);
    std::optional<BackgroundWork> checker;
    constexpr qsizetype CheckedAlone = qsizetype(1) << 20;
    if (check && end - std::max(p, known) >= CheckedAlone) {
        const char *const middle = std::max(p + (end - p) / 2, known);
        const auto *lineFeed =
            static_cast<const char *>(std::memchr(middle, '\n', size_t(end - middle)));
        if (lineFeed) {
            checker.emplace([&checkedUpTo, from = lineFeed + 1, end] {
                checkedUpTo = TextDecoding::endOfUtf8(reinterpret_cast<const uchar *>(from),
                                                      reinterpret_cast<const uchar *>(end));
            });
            if (checker->started())
                checkedFrom = lineFeed + 1;
            else
                checker.reset();
        }
    }
    // The check ends before the text moves or goes (the work's destructor
    // waits for it, also when a closed window unwinds the load).
    const auto checkerDone = [&] {
        if (checker) {
            meter.waitFor(*checker);
            checker.reset();
        }
    };
    LineScan scan(first, p - first, end - first);
    for (;;) {
        meter.split(p - first);
        const LineScan::Line line = scan.next(p, meter);
        const char *const lineFeed = line.lineFeed;
        const char *const lineEnd = lineFeed ? lineFeed : end;
        if (check && p >= checkedFrom)
            checkerDone();
        if (check && line.high && lineEnd > known) { // ASCII is UTF-8
            const bool utf8 = p >= checkedFrom
                                  ? checkedUpTo >= reinterpret_cast<const uchar *>(lineEnd)
                                  : isUtf8(p, lineEnd, first, meter);
            if (!utf8) {
                checkerDone(); // it reads what moves now
                moveDown(out, p, end - p, first, meter);
                text.truncate(out + (end - p) - first);
                *unchecked = std::move(text);
                return std::nullopt;
            }
        }
        const char *const next = lineFeed ? lineFeed + 1 : end;
        if (blank(p, lineEnd)) {
            if (out == p) // nothing has moved yet: the line stays where it is
                out = const_cast<char *>(next);
            else if (lineFeed)
                *out++ = '\n';
        } else if (!line.carriageReturn && out == p) {
            loaded.spans.push_back(RowSpan{p - first, lineEnd - p});
            out = const_cast<char *>(next);
        } else {
            char *const row = out;
            if (out != p)
                moveDown(out, p, lineEnd - p, first, meter);
            char *const rowEnd = line.carriageReturn
                                     ? withoutCarriageReturns(row, lineEnd - p, first, meter)
                                     : row + (lineEnd - p);
            loaded.spans.push_back(RowSpan{row - first, rowEnd - row});
            out = rowEnd;
            if (lineFeed)
                *out++ = '\n';
        }
        if (!lineFeed)
            break;
        p = next;
    }
    text.truncate(out - first);
    loaded.block = std::make_shared<const QByteArray>(std::move(text));
    return loaded;
}

} // namespace

LoadedText splitText(QByteArray text, qint64 lineFeeds, LoadMeter &meter)
{
    return *splitRows(std::move(text), 0, lineFeeds, false, meter);
}

// The rows of a file's bytes, which become the block when they are UTF-8.
LoadedText rowsOfFileBytes(QByteArray bytes, qint64 lineFeeds, LoadMeter &meter,
                           qsizetype knownUtf8)
{
    if (bytes.isEmpty())
        return {};
    if (TextDecoding::isUtf16(bytes))
        return splitText(TextDecoding::utf16ToUtf8(bytes, meter), lineFeeds, meter);
    const qsizetype mark = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    QByteArray notUtf8;
    std::optional<LoadedText> utf8 =
        splitRows(std::move(bytes), mark, lineFeeds, true, meter, &notUtf8, knownUtf8);
    if (utf8)
        return std::move(*utf8);
    // Deleting carriage returns changed nothing that Windows-1252 reads.
    QByteArray converted = TextDecoding::windows1252ToUtf8(notUtf8, meter);
    notUtf8 = QByteArray();
    return splitText(std::move(converted), lineFeeds, meter);
}

} // namespace RowSplitting
