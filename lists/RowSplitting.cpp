#include "lists/RowSplitting.h"

#include "lists/LoadMeter.h"
#include "lists/TextDecoding.h"

#include "core/Yielding.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace RowSplitting {

namespace {

bool blank(const char *begin, const char *end)
{
    return std::all_of(begin, end, [](char c) { return c == ' ' || c == '\r'; });
}

// The pieces of one line's work. Each goes a piece at a time; between
// pieces the meter is told where the split is (from first on).

// The next line feed in [p, end), or null.
const char *nextLineFeed(const char *p, const char *end, const char *first, LoadMeter &meter)
{
    while (end - p > LoadPiece) {
        if (const void *found = std::memchr(p, '\n', size_t(LoadPiece)))
            return static_cast<const char *>(found);
        p += LoadPiece;
        meter.pace(p - first);
    }
    return static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
}

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
std::optional<LoadedText> splitRows(QByteArray text, qsizetype start, qint64 lineFeeds, bool check,
                                    LoadMeter &meter, QByteArray *unchecked = nullptr)
{
    LoadedText loaded;
    loaded.spans.reserve(std::size_t(lineFeeds + 1));
    char *const first = text.data();
    const char *p = first + start;
    const char *const end = first + text.size();
    char *out = first + start; // where kept bytes go, once a carriage return was deleted
    // A large text's second half (from a line's start on) is checked on a
    // thread of its own meanwhile; the rows are split here, in order, and
    // only ever move bytes before the one they read.
    const char *checkedFrom = end;
    // Where the second half stops being UTF-8.
    const uchar *checkedUpTo = reinterpret_cast<const uchar *>(end);
    std::optional<BackgroundWork> checker;
    constexpr qsizetype CheckedAlone = qsizetype(1) << 20;
    if (check && end - p >= CheckedAlone) {
        const char *const middle = p + (end - p) / 2;
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
    for (;;) {
        meter.split(p - first);
        const char *const lineFeed = nextLineFeed(p, end, first, meter);
        const char *const lineEnd = lineFeed ? lineFeed : end;
        if (check && p >= checkedFrom)
            checkerDone();
        if (check) {
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
        const char *const carriageReturn =
            static_cast<const char *>(std::memchr(p, '\r', size_t(lineEnd - p)));
        const char *const next = lineFeed ? lineFeed + 1 : end;
        if (blank(p, lineEnd)) {
            if (out == p) // nothing has moved yet: the line stays where it is
                out = const_cast<char *>(next);
            else if (lineFeed)
                *out++ = '\n';
        } else if (!carriageReturn && out == p) {
            loaded.spans.push_back(RowSpan{p - first, lineEnd - p});
            out = const_cast<char *>(next);
        } else {
            char *const row = out;
            if (out != p)
                moveDown(out, p, lineEnd - p, first, meter);
            char *const rowEnd = withoutCarriageReturns(row, lineEnd - p, first, meter);
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
LoadedText rowsOfFileBytes(QByteArray bytes, qint64 lineFeeds, LoadMeter &meter)
{
    if (bytes.isEmpty())
        return {};
    if (TextDecoding::isUtf16(bytes))
        return splitText(TextDecoding::utf16ToUtf8(bytes, meter), lineFeeds, meter);
    const qsizetype mark = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    QByteArray notUtf8;
    std::optional<LoadedText> utf8 =
        splitRows(std::move(bytes), mark, lineFeeds, true, meter, &notUtf8);
    if (utf8)
        return std::move(*utf8);
    // Deleting carriage returns changed nothing that Windows-1252 reads.
    QByteArray converted = TextDecoding::windows1252ToUtf8(notUtf8, meter);
    notUtf8 = QByteArray();
    return splitText(std::move(converted), lineFeeds, meter);
}

} // namespace RowSplitting
