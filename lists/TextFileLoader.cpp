#include "lists/TextFileLoader.h"

#include "core/Failure.h"
#include "core/Files.h"
#include "core/Progress.h"
#include "core/UserDialogs.h"
#include "core/Utf8Text.h"
#include "lists/RowModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtEndian>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

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
    return (b & 0xC0) == 0x80;
}

// Where strict UTF-8 ends in [p, end): no overlong forms, no encoded
// surrogates, nothing above U+10FFFF, no sequence cut off at the end. Gives
// end when all of it is UTF-8.
const uchar *endOfUtf8(const uchar *p, const uchar *end)
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

// Reports how far the load of one file is: reading is the first part of the
// bar, decoding and splitting the rest, each by its share of the file's
// bytes. It yields between chunks and every so many lines; a closed window
// stops the load there, before any row was added. Without progress it does
// nothing.
class LoadMeter
{
public:
    LoadMeter(Progress *progress, qint64 bytes)
        : m_progress(progress), m_bytes(std::max<qint64>(bytes, 1))
    {
    }

    bool active() const { return m_progress != nullptr; }

    void read(qint64 done)
    {
        if (!m_progress)
            return;
        m_progress->setPosition(ReadShare * double(done) / double(m_bytes));
        m_progress->yield();
    }

    // Reading input of unknown size: the bar creeps towards the read share.
    void readSome(qint64 done)
    {
        if (!m_progress)
            return;
        constexpr double HalfWay = 64 << 20;
        m_progress->setPosition(ReadShare * double(done) / (double(done) + HalfWay));
        m_progress->yield();
    }

    // Splitting goes by this many bytes once they are known.
    void setTotal(qint64 bytes) { m_bytes = std::max<qint64>(bytes, 1); }

    // Called between the pieces of work on one long line (of many
    // megabytes): the window stays alive however long a line is.
    void pace(qint64 done)
    {
        if (!m_progress)
            return;
        m_progress->setPosition(ReadShare + (100 - ReadShare) * double(std::min(done, m_bytes)) /
                                                double(m_bytes));
        m_progress->yield();
    }

    // Between the pieces of a conversion, which comes before the split.
    void keepAlive()
    {
        if (m_progress)
            m_progress->yield();
    }

    // Called once per line; passes on every LinesPerStep-th.
    void split(qint64 done)
    {
        if (!m_progress || ++m_lines < LinesPerStep)
            return;
        m_lines = 0;
        m_progress->setPosition(ReadShare + (100 - ReadShare) * double(std::min(done, m_bytes)) /
                                                double(m_bytes));
        m_progress->yield();
    }

private:
    static constexpr double ReadShare = 30;
    static constexpr int LinesPerStep = 1 << 14;

    Progress *m_progress;
    qint64 m_bytes;
    int m_lines = 0;
};

// Long stretches of text are worked on a piece at a time, with the meter
// told in between.
constexpr qsizetype Piece = qsizetype(1) << 20;

// Windows-1252 bytes as UTF-8, carriage returns deleted.
QByteArray windows1252ToUtf8(QByteArrayView bytes, LoadMeter &meter)
{
    QByteArray text(bytes.size() * 3, Qt::Uninitialized);
    char *out = text.data();
    for (qsizetype at = 0; at < bytes.size(); at += Piece) {
        meter.keepAlive();
        for (const char c : bytes.sliced(at, std::min(Piece, bytes.size() - at))) {
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
    std::vector<char16_t> piece(std::size_t(std::min(units, Piece)) + 2);
    qsizetype held = 0; // a high surrogate kept back from the last piece
    qsizetype at = 0;
    do {
        meter.keepAlive();
        const qsizetype size = std::min(Piece, units - at);
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

bool blank(const char *begin, const char *end)
{
    return std::all_of(begin, end, [](char c) { return c == ' ' || c == '\r'; });
}

// The pieces of one line's work. Each goes a piece at a time; between
// pieces the meter is told where the split is (from first on).

// The next line feed in [p, end), or null.
const char *nextLineFeed(const char *p, const char *end, const char *first, LoadMeter &meter)
{
    while (end - p > Piece) {
        if (const void *found = std::memchr(p, '\n', size_t(Piece)))
            return static_cast<const char *>(found);
        p += Piece;
        meter.pace(p - first);
    }
    return static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
}

// Whether [p, end) is strict UTF-8; pieces end between characters.
bool isUtf8(const char *p, const char *end, const char *first, LoadMeter &meter)
{
    const auto *from = reinterpret_cast<const uchar *>(p);
    const auto *const to = reinterpret_cast<const uchar *>(end);
    while (to - from > Piece) {
        const uchar *stop = from + Piece;
        for (int back = 0; back < 3 && continuation(*stop); ++back)
            --stop;
        if (endOfUtf8(from, stop) != stop)
            return false;
        from = stop;
        meter.pace(reinterpret_cast<const char *>(from) - first);
    }
    return endOfUtf8(from, to) == to;
}

// Moves size bytes from p down to out (out before p), front piece first.
void moveDown(char *out, const char *p, qsizetype size, const char *first, LoadMeter &meter)
{
    for (qsizetype done = 0; done < size; done += Piece) {
        if (done > 0)
            meter.pace(p + done - first);
        std::memmove(out + done, p + done, size_t(std::min(Piece, size - done)));
    }
}

// Deletes the carriage returns of [row, row + size) in place; gives the new end.
char *withoutCarriageReturns(char *row, qsizetype size, const char *first, LoadMeter &meter)
{
    char *kept = row;
    const char *from = row;
    const char *const end = row + size;
    while (from < end) {
        const char *const stop = std::min(from + Piece, end);
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
    std::thread checker;
    constexpr qsizetype CheckedAlone = qsizetype(1) << 20;
    if (check && end - p >= CheckedAlone) {
        const char *const middle = p + (end - p) / 2;
        const auto *lineFeed =
            static_cast<const char *>(std::memchr(middle, '\n', size_t(end - middle)));
        if (lineFeed) {
            checkedFrom = lineFeed + 1;
            checker = std::thread([&checkedUpTo, from = checkedFrom, end] {
                checkedUpTo = endOfUtf8(reinterpret_cast<const uchar *>(from),
                                        reinterpret_cast<const uchar *>(end));
            });
        }
    }
    const auto joinChecker = qScopeGuard([&] {
        if (checker.joinable())
            checker.join();
    });
    for (;;) {
        meter.split(p - first);
        const char *const lineFeed = nextLineFeed(p, end, first, meter);
        const char *const lineEnd = lineFeed ? lineFeed : end;
        if (check && p >= checkedFrom && checker.joinable())
            checker.join();
        if (check) {
            const bool utf8 = p >= checkedFrom
                                  ? checkedUpTo >= reinterpret_cast<const uchar *>(lineEnd)
                                  : isUtf8(p, lineEnd, first, meter);
            if (!utf8) {
                if (checker.joinable()) // it reads what moves now
                    checker.join();
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

LoadedText splitText(QByteArray text, qint64 lineFeeds, LoadMeter &meter)
{
    return *splitRows(std::move(text), 0, lineFeeds, false, meter);
}

// The bytes of a file, and how many of them are line feeds.
struct FileBytes
{
    QByteArray bytes;
    qint64 lineFeeds = 0;
};

qint64 lineFeedsIn(QByteArrayView bytes)
{
    return std::count(bytes.begin(), bytes.end(), '\n');
}

// The rows of a file's bytes, which become the block when they are UTF-8.
LoadedText textOf(QByteArray bytes, qint64 lineFeeds, LoadMeter &meter)
{
    if (bytes.isEmpty())
        return {};
    if (isUtf16(bytes))
        return splitText(utf16ToUtf8(bytes, meter), lineFeeds, meter);
    const qsizetype mark = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    QByteArray notUtf8;
    std::optional<LoadedText> utf8 =
        splitRows(std::move(bytes), mark, lineFeeds, true, meter, &notUtf8);
    if (utf8)
        return std::move(*utf8);
    // Deleting carriage returns changed nothing that Windows-1252 reads.
    QByteArray converted = windows1252ToUtf8(notUtf8, meter);
    notUtf8 = QByteArray();
    return splitText(std::move(converted), lineFeeds, meter);
}

QStringList rowsOf(const LoadedText &loaded)
{
    QStringList rows;
    rows.reserve(qsizetype(loaded.spans.size()));
    for (const RowSpan &span : loaded.spans)
        rows.append(Utf8::toUtf16(
            std::string_view(loaded.block->constData() + span.offset, std::size_t(span.size))));
    return rows;
}

QString quoted(const QString &path)
{
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

Failure cannotRead(const QString &path, const QString &reason)
{
    return Failure(u"Cannot read "_s + quoted(path) + u": "_s + reason);
}

Failure outOfMemory(const QString &path)
{
    return Failure(u"Out of memory while loading "_s + quoted(path));
}

Failure sourceOutOfMemory(const QString &source)
{
    return Failure(u"Out of memory while loading "_s + source);
}

// A load that would need more than the machine's memory and swap (or the
// limit given) is refused before the system has to kill the program for it.
bool fitsInMemory(qint64 bytesNeeded, qint64 limit = 0)
{
    if (limit > 0)
        return bytesNeeded <= limit;
    struct sysinfo info = {};
    if (sysinfo(&info) != 0)
        return true;
    const double total = (double(info.totalram) + double(info.totalswap)) * info.mem_unit;
    return double(bytesNeeded) <= total;
}

// A UTF-8 file's bytes are its block; other files live beside their UTF-8
// block for a moment (up to three bytes a byte, counted as two: those files
// are mostly ASCII). Each row takes two small records: where it is in the
// block, and the list's own.
qint64 bytesToLoad(qint64 fileSize, qint64 lines)
{
    return fileSize * 3 + lines * 32;
}

// Reads the file in chunks, counting its line feeds on the way, so that the
// window can repaint in between.
FileBytes readWholeFile(const QString &path, LoadMeter &meter)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw cannotRead(path, u"It is a folder"_s);
    if (!info.isFile())
        throw cannotRead(path, u"It is not a regular file"_s);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw cannotRead(path, file.errorString());

    const qint64 size = file.size();
    if (!fitsInMemory(bytesToLoad(size, 0)))
        throw outOfMemory(path);

    FileBytes read;
    QByteArray &bytes = read.bytes;
    bytes.resize(size);
    qint64 done = 0;
    constexpr qint64 Chunk = qint64(8) << 20;
    while (done < size) {
        meter.read(done);
        const qint64 got = file.read(bytes.data() + done,
                                     meter.active() ? std::min(Chunk, size - done) : size - done);
        if (got < 0)
            throw cannotRead(path, file.errorString());
        if (got == 0)
            break;
        read.lineFeeds += lineFeedsIn(QByteArrayView(bytes).sliced(done, got));
        done += got;
    }
    bytes.truncate(done);

    // Files that report no size (or grew meanwhile) are read on to their end.
    char chunk[65536];
    for (;;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0)
            throw cannotRead(path, file.errorString());
        if (got == 0)
            break;
        if (!fitsInMemory(bytesToLoad(bytes.size() + got, 0)))
            throw outOfMemory(path);
        bytes.append(chunk, got);
        read.lineFeeds += lineFeedsIn(QByteArrayView(chunk, got));
    }
    return read;
}

Failure streamFailure(const QString &source, int error)
{
    return Failure(u"Cannot read "_s + source + u": "_s +
                   QString::fromLocal8Bit(std::strerror(error)));
}

// Reads a descriptor to its end. With progress it waits for input in short
// polls and yields between them, so a pipe that is slow to fill, or a
// terminal, leaves the window alive.
FileBytes readStream(int fd, const QString &source, LoadMeter &meter, qint64 memoryLimit)
{
    constexpr qsizetype Chunk = qsizetype(1) << 20;
    constexpr int PollMs = 20;
    FileBytes read;
    QByteArray &bytes = read.bytes;
    qsizetype size = 0;
    // A pipe that holds more at a time takes fewer turns of its writer and
    // this reader; where the system says no, it keeps its size.
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode))
        ::fcntl(fd, F_SETPIPE_SZ, int(Chunk));
    for (;;) {
        if (meter.active()) {
            pollfd ready{fd, POLLIN, 0};
            const int polled = ::poll(&ready, 1, PollMs);
            if (polled < 0 && errno != EINTR)
                throw streamFailure(source, errno);
            if (polled <= 0) {
                meter.readSome(size);
                continue;
            }
        }
        if (!fitsInMemory(bytesToLoad(size + Chunk, read.lineFeeds), memoryLimit))
            throw sourceOutOfMemory(source);
        bytes.resize(size + Chunk);
        const ssize_t got = ::read(fd, bytes.data() + size, size_t(Chunk));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // Input left non-blocking by whoever started the program.
                pollfd ready{fd, POLLIN, 0};
                if (!meter.active())
                    ::poll(&ready, 1, -1);
                continue;
            }
            throw streamFailure(source, errno);
        }
        if (got == 0)
            break;
        read.lineFeeds += lineFeedsIn(QByteArrayView(bytes).sliced(size, got));
        size += got;
        meter.readSome(size);
    }
    bytes.truncate(size);
    return read;
}

} // namespace

QStringList rowsFromBytes(QByteArrayView bytes)
{
    LoadMeter quiet(nullptr, bytes.size());
    return rowsOf(textOf(QByteArray(bytes.data(), bytes.size()), lineFeedsIn(bytes), quiet));
}

LoadedText loadTextFile(const QString &path, Progress *progress)
{
    try {
        if (!fileExists(path))
            return {};
        if (progress) {
            progress->setPosition(0);
            progress->setText(u"Loading: "_s + fileNameFromPath(path));
        }
        LoadMeter meter(progress, QFileInfo(path).size());
        FileBytes file = readWholeFile(path, meter);
        if (!fitsInMemory(bytesToLoad(file.bytes.size(), file.lineFeeds)))
            throw outOfMemory(path);
        return textOf(std::move(file.bytes), file.lineFeeds, meter);
    } catch (const std::bad_alloc &) {
        throw outOfMemory(path);
    } catch (const std::length_error &) {
        throw outOfMemory(path);
    }
}

LoadedText loadText(QString text, const QString &source, Progress *progress)
{
    try {
        if (progress) {
            progress->setPosition(0);
            progress->setText(u"Loading: "_s + source);
        }
        LoadMeter meter(progress, text.size() * 2);
        // A large text is gone through in pieces, with the window alive in
        // between: once to count its lines, once more to turn it into UTF-8
        // without its carriage returns.
        constexpr qsizetype Piece = qsizetype(4) << 20;
        const QStringView all(text);
        qint64 lineFeeds = 0;
        for (qsizetype at = 0; at < all.size(); at += Piece) {
            meter.read(at);
            lineFeeds += all.sliced(at, std::min(Piece, all.size() - at)).count(u'\n');
        }
        // The text, its UTF-8 (at most three bytes a unit) and the rows.
        if (!fitsInMemory(text.size() * 5 + lineFeeds * 32))
            throw sourceOutOfMemory(source);
        QByteArray bytes(text.size() * 3, Qt::Uninitialized);
        char *out = bytes.data();
        for (qsizetype at = 0; at < all.size();) {
            meter.read(all.size() + at);
            qsizetype size = std::min(Piece, all.size() - at);
            // A pair of surrogates stays in one piece.
            if (at + size < all.size() && all[at + size - 1].isHighSurrogate())
                ++size;
            char *const pieceStart = out;
            out = Utf8::appendUnits(all.sliced(at, size), out);
            out = std::remove(pieceStart, out, '\r');
            at += size;
        }
        bytes.truncate(out - bytes.constData());
        text = QString();
        return splitText(std::move(bytes), lineFeeds, meter);
    } catch (const std::bad_alloc &) {
        throw sourceOutOfMemory(source);
    } catch (const std::length_error &) {
        throw sourceOutOfMemory(source);
    }
}

LoadedText loadStream(int fd, const QString &source, Progress *progress, qint64 memoryLimit)
{
    try {
        if (progress) {
            progress->setPosition(0);
            progress->setText(u"Loading: "_s + source);
        }
        LoadMeter meter(progress, 0);
        FileBytes input = readStream(fd, source, meter, memoryLimit);
        if (!fitsInMemory(bytesToLoad(input.bytes.size(), input.lineFeeds), memoryLimit))
            throw sourceOutOfMemory(source);
        meter.setTotal(input.bytes.size());
        return textOf(std::move(input.bytes), input.lineFeeds, meter);
    } catch (const std::bad_alloc &) {
        throw sourceOutOfMemory(source);
    } catch (const std::length_error &) {
        throw sourceOutOfMemory(source);
    }
}

QStringList rowsFromTextFile(const QString &path, Progress *progress)
{
    return rowsOf(loadTextFile(path, progress));
}

void appendTextFile(RowModel &list, const QString &path, UserDialogs &dialogs,
                    const QString &shortTitle, Progress *progress)
{
    if (!fileExists(path)) {
        // Among several files the box says which one is missing.
        dialogs.message(u"File not found: "_s + QDir::toNativeSeparators(path), shortTitle,
                        UserDialogs::Icon::None);
        return;
    }
    try {
        const LoadedText loaded = loadTextFile(path, progress);
        list.append(loaded.block, loaded.spans);
    } catch (const std::bad_alloc &) {
        throw outOfMemory(path);
    } catch (const std::length_error &) {
        throw outOfMemory(path);
    }
}
